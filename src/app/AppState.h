#pragma once
// The application state: the process-wide objects that the scene assembly
// creates and the frame update, the frame render and the effects read. All
// start out null and live on the main thread only.

#include "render/GL.h"

struct GLFWwindow;
class Campfire;
class CameraSet;
class FrameRenderer;
class InputController;
class Level;
class OmniShadowMap;
class PointLight;
class ShaderProgram;
class Water;

extern GLFWwindow* window;
extern int screenWidth;
extern int screenHeight;
// The scene's targets are this share of the framebuffer's size in each
// direction (--scale); set before the scene is assembled, 1 by default.
extern float renderScale;

// The lit scene program (PhongSMap), the shadow cube-map pass and its debug
// view, shared by the scene objects, the Level and the passes.
extern ShaderProgram* phongProgram;
// Its variant for the water's mirrored pass (MIRRORED_VIEW defined): no
// fire shadow, no normal maps, clipped at the water.
extern ShaderProgram* mirroredPhongProgram;
extern ShaderProgram* shadowPassProgram;
extern ShaderProgram* shadowDebugProgram; // never released

extern Level* level;

// The pool's water effect; null when the scene has no water object.
extern Water* water;

// The fire effect: flames, smoke, heat haze and the fire light.
extern Campfire* campfire;

// The three fixed moonlight fills.
extern PointLight* skyLight;
extern PointLight* rearLight;
extern PointLight* frontLight;

extern FrameRenderer* frameRenderer; // never released
extern InputController* inputController;

// The fire light's shadow cube map and its debug cube.
extern OmniShadowMap* shadowMap;

// Locations of "normalMapping" and "shadowMapping" in phongProgram.
extern GLint normalMappingLocation;
extern GLint shadowMappingLocation;

// The camera set imported from the scene. The scene loader owns it and frees
// it at its next import or at exit; nobody else deletes it.
extern CameraSet* cameras;

// Per GLFW key code 0-347: 1 after a press event, 0 after a repeat or release.
inline constexpr int kKeyTableSize = 348;
extern unsigned char keyState[kKeyTableSize];
extern unsigned char previousKeyState[kKeyTableSize];

// The one audio system is audio() in audio/AudioSystem.h, made on first use.

// Accumulated angle of the tour's orbit move; never reset.
extern float orbitAngle;
