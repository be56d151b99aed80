// stb_image, built once for the benchmarks as the decoder to compare against.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#define STBI_ONLY_PSD
#include <stb/stb_image.h>
