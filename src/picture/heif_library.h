// libheif, loaded when the first HEIC or AVIF picture is read. Linked
// normally it would map itself and its codecs (x265, aom, de265, dav1d:
// about 2 MB resident) into every saver, which shows JPEG pictures almost
// always. The prototypes come from libheif's header, so each entry of the
// table has the library's own type.
// Trade-off: the library, once loaded, stays for the life of the process
// (a worker may still be inside it while the process ends), and a system
// without libheif.so.1 learns it only at the first such picture.
#pragma once

#include <libheif/heif.h>

#include <string>

#define MOSVIK_HEIF_FUNCTIONS(X)                                                                                       \
    X(heif_context_alloc)                                                                                              \
    X(heif_context_free)                                                                                               \
    X(heif_context_set_max_decoding_threads)                                                                           \
    X(heif_context_read_from_memory_without_copy)                                                                      \
    X(heif_context_get_primary_image_handle)                                                                           \
    X(heif_image_handle_release)                                                                                       \
    X(heif_image_handle_get_width)                                                                                     \
    X(heif_image_handle_get_height)                                                                                    \
    X(heif_image_handle_has_alpha_channel)                                                                             \
    X(heif_image_handle_get_luma_bits_per_pixel)                                                                       \
    X(heif_image_handle_get_list_of_metadata_block_IDs)                                                                \
    X(heif_image_handle_get_metadata_size)                                                                             \
    X(heif_image_handle_get_metadata)                                                                                  \
    X(heif_decoding_options_alloc)                                                                                     \
    X(heif_decoding_options_free)                                                                                      \
    X(heif_decode_image)                                                                                               \
    X(heif_image_release)                                                                                              \
    X(heif_image_get_plane_readonly)                                                                                   \
    X(heif_image_get_width)                                                                                            \
    X(heif_image_get_height)                                                                                           \
    X(heif_image_get_bits_per_pixel_range)

struct HeifLibrary {
#define MOSVIK_HEIF_MEMBER(name) decltype(&::name) name = nullptr;
    MOSVIK_HEIF_FUNCTIONS(MOSVIK_HEIF_MEMBER)
#undef MOSVIK_HEIF_MEMBER
};

// The loaded library, loaded at the first call (thread-safe). Throws
// PictureError naming `fileName` when libheif.so.1 or one of its functions
// is missing.
const HeifLibrary& LoadHeifLibrary(const std::string& fileName);
