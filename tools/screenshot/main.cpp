// Saves the whole X screen ($DISPLAY's root window) as a 24-bit PNG. Under
// Xvfb with Mesa's software rasteriser the GL window's pixels live in the X
// server, so the root window shows exactly what the demo presented.

#include <FreeImage.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "cannot open display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        std::fprintf(stderr, "cannot read the screen\n");
        XCloseDisplay(display);
        return 1;
    }

    FIBITMAP* bitmap = FreeImage_Allocate(attributes.width, attributes.height, 24);
    for (int y = 0; y < attributes.height; ++y) {
        // FreeImage stores rows bottom-up.
        BYTE* row = FreeImage_GetScanLine(bitmap, attributes.height - 1 - y);
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            row[x * 3 + FI_RGBA_RED] = static_cast<BYTE>((pixel & image->red_mask) >> 16);
            row[x * 3 + FI_RGBA_GREEN] = static_cast<BYTE>((pixel & image->green_mask) >> 8);
            row[x * 3 + FI_RGBA_BLUE] = static_cast<BYTE>(pixel & image->blue_mask);
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, argv[1], 0) != 0;
    FreeImage_Unload(bitmap);
    XDestroyImage(image);
    XCloseDisplay(display);
    if (!saved) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
