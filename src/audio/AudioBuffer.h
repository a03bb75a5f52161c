#pragma once
// One OpenAL buffer name, owned for the object's life. Kinds of sound file
// derive from it and fill the buffer when they are constructed.

#include <AL/al.h>

namespace rtr::Audio {

class Buffer {
public:
    // alGenBuffers needs the audio system's context to be current.
    Buffer();
    virtual ~Buffer();
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    ALuint name = 0;
};

} // namespace rtr::Audio
