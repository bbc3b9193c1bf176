// stb_image compiled into the including file, as a private copy: the includer first defines
// which formats it reads and the limits it wants (STBI_ONLY_..., STBI_MAX_DIMENSIONS, ...), then
// includes this once. The library's own code is built without the warnings it would raise here.
#pragma once

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
