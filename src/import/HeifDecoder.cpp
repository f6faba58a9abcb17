// HEIF (HEVC-coded, the HEIC pictures phones write) and AVIF (AV1-coded) through libheif,
// which reads both from one container: the primary image, grid-tiled or not, with its
// crop, rotation and mirror applied as the file asks (libheif's default), as 32-bit blue,
// green, red, clearness pixels. The embedded colour profile is kept for the colour step.
//
// Everything a file can make libheif allocate is bounded before it is decoded: sides by
// the context's size limit, the pixels by the importer's limit on the stated size; the
// file is read in place from the importer's bytes.
#include "import/HeifBrands.h"
#include "import/ImageImporter.h"
#include "import/RgbaRows.h"

#include <memory>

#include <libheif/heif.h>

namespace {

// Sides beyond this are refused by libheif itself before any of its allocations; the
// pixel limit is the tighter bound for all but very narrow pictures.
constexpr int kMaxSide = 16384;

struct HeifFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
    void operator()(heif_image* i) const { heif_image_release(i); }
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
template <typename T> using HeifPtr = std::unique_ptr<T, HeifFree>;

void Check(heif_error error) {
    if (error.code == heif_error_Memory_allocation_error) {
        throw ImageImporter::NoMemory;
    }
    if (error.code != heif_error_Ok) {
        throw ImageImporter::Failed;
    }
}

std::vector<uint8_t> RawColourProfile(const heif_image_handle* handle) {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) {
        return {};
    }
    std::vector<uint8_t> profile(heif_image_handle_get_raw_color_profile_size(handle));
    if (profile.empty() ||
        heif_image_handle_get_raw_color_profile(handle, profile.data()).code != heif_error_Ok) {
        return {};
    }
    return profile;
}

picture::HeifBrand ReadBrand(ByteReader& file) {
    uint8_t head[picture::kFtypProbeBytes];
    const UINT got = file.Read(head, sizeof head);
    return picture::BrandOfFtyp({head, got});
}

} // namespace

bool ImageImporter::ProbeHeif() {
    return ReadBrand(m_file) == picture::HeifBrand::kHeif;
}

bool ImageImporter::ProbeAvif() {
    return ReadBrand(m_file) == picture::HeifBrand::kAvif;
}

void ImageImporter::ReadHeif() {
    DecodeHeifFamily();
}

void ImageImporter::ReadAvif() {
    DecodeHeifFamily();
}

void ImageImporter::DecodeHeifFamily() {
    const std::span<const uint8_t> bytes = m_file.Bytes();
    HeifPtr<heif_context> context(heif_context_alloc());
    if (!context) {
        throw NoMemory;
    }
    heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
    // Tiles are decoded on this thread: the saver decodes away from its window thread
    // already, and the Windows build has no threads for libheif.
    heif_context_set_max_decoding_threads(context.get(), 0);
    Check(heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(),
                                                     nullptr));
    heif_image_handle* rawHandle = nullptr;
    Check(heif_context_get_primary_image_handle(context.get(), &rawHandle));
    HeifPtr<heif_image_handle> handle(rawHandle);

    // The size after the file's own crop and turns, which is what is decoded.
    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        throw BadFile;
    }
    picture::SetHeader(m_header, width, height, 32);
    const uint64_t stride = picture::RowStride(static_cast<uint64_t>(width), 32);
    AllocatePixels(stride, static_cast<uint64_t>(height));

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    HeifPtr<heif_decoding_options> options(heif_decoding_options_alloc());
    if (!options) {
        throw NoMemory;
    }
    options->convert_hdr_to_8bit = 1;
    heif_image* rawImage = nullptr;
    Check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                            options.get()));
    HeifPtr<heif_image> image(rawImage);

    int sourceStride = 0;
    const uint8_t* rows =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &sourceStride);
    const unsigned channels = alpha ? 4 : 3;
    // The decoded image must be what the handle promised, or the rows would be read past.
    if (!rows || heif_image_get_width(image.get(), heif_channel_interleaved) != width ||
        heif_image_get_height(image.get(), heif_channel_interleaved) != height ||
        heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8 ||
        sourceStride < width * static_cast<int>(channels)) {
        throw Failed;
    }
    picture::PackRgbRows(rows, static_cast<size_t>(sourceStride), channels,
                         static_cast<uint32_t>(width), static_cast<uint32_t>(height), m_pixels,
                         stride);
    m_iccProfile = RawColourProfile(handle.get());
}
