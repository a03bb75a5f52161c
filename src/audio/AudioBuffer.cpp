#include "audio/AudioBuffer.h"

namespace rtr::Audio {

Buffer::Buffer() { alGenBuffers(1, &name); }

Buffer::~Buffer() { alDeleteBuffers(1, &name); }

} // namespace rtr::Audio
