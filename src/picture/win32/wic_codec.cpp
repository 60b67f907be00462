// WIC in a few calls: a stream over memory, the decoder the container
// format picks, a converter to 32-bit BGRA; for writing, the JPEG encoder
// on an HGLOBAL stream fed with 24-bit BGR rows. WIC has no lossless JPEG
// transform on Windows 7, so every picture is decoded and re-encoded here;
// the EXIF orientation is read by the tool's own marker walk, not by WIC.
#include "wic_codec.h"

#include <windows.h>
#include <wincodec.h>

#include <string>

#include "picture_source.h"

namespace {

// Owner of one COM interface pointer.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef()
    {
        if (m_p)
            m_p->Release();
    }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T** Put() { return &m_p; }

private:
    T* m_p = nullptr;
};

// COM for the calling thread, for as long as one call needs it.
class ComScope {
public:
    ComScope()
    {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_release = SUCCEEDED(hr);
        if (FAILED(hr) && hr != RPC_E_CHANGED_MODE)
            throw PictureError("cannot start COM for the Windows Imaging Component");
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope()
    {
        if (m_release)
            CoUninitialize();
    }

private:
    bool m_release = false;
};

void Check(HRESULT hr, const std::string& what)
{
    if (FAILED(hr)) {
        char code[16];
        wsprintfA(code, "0x%08lX", static_cast<unsigned long>(hr));
        throw PictureError(what + " (Windows Imaging Component error " + code + ")");
    }
}

void MakeFactory(ComRef<IWICImagingFactory>& factory)
{
    Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.Put())),
          "the Windows Imaging Component is not available");
}

} // namespace

RgbImage WicDecode(const PictureFile& file)
{
    ComScope com;
    ComRef<IWICImagingFactory> factory;
    MakeFactory(factory);
    const std::string unreadable = file.name + ": not a readable " + (file.format == PictureFormat::png ? "PNG" : "JPEG");
    ComRef<IWICStream> stream;
    Check(factory->CreateStream(stream.Put()), "cannot read " + file.name);
    Check(stream->InitializeFromMemory(const_cast<BYTE*>(file.bytes.data()), DWORD(file.bytes.size())),
          "cannot read " + file.name);
    ComRef<IWICBitmapDecoder> decoder;
    Check(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put()),
          unreadable);
    ComRef<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(0, frame.Put()), unreadable);
    UINT w = 0, h = 0;
    Check(frame->GetSize(&w, &h), unreadable);
    if (w == 0 || h == 0 || std::uint64_t(w) * h > kMaxDecodedPixels)
        throw PictureError(file.name + ": " + std::to_string(w) + " x " + std::to_string(h) +
                        " pixels to decode, more than the limit of " + std::to_string(kMaxDecodedPixels));
    ComRef<IWICFormatConverter> converter;
    Check(factory->CreateFormatConverter(converter.Put()), unreadable);
    Check(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                WICBitmapPaletteTypeCustom),
          file.name + ": its pixel format cannot be converted to RGB");
    // kMaxDecodedPixels * 4 fits in the UINT the copy takes.
    std::vector<BYTE> bgra(std::size_t(w) * h * 4);
    Check(converter->CopyPixels(nullptr, w * 4, UINT(bgra.size()), bgra.data()),
          file.name + ": damaged picture, it cannot be read whole");

    RgbImage image(static_cast<int>(w), static_cast<int>(h));
    for (std::size_t i = 0, n = std::size_t(w) * h; i < n; ++i) {
        const BYTE* p = &bgra[i * 4];
        const unsigned a = p[3], over = 255 * (255 - a); // laid over white
        for (int c = 0; c < 3; ++c)
            image.rgb[i * 3 + std::size_t(c)] = BYTE((p[2 - c] * a + over + 127) / 255);
    }
    return image;
}

std::vector<unsigned char> WicEncodeBottomFirst(const RgbImage& image, int quality)
{
    ComScope com;
    ComRef<IWICImagingFactory> factory;
    MakeFactory(factory);
    const std::string failed = "cannot encode the picture";
    ComRef<IStream> memory;
    Check(CreateStreamOnHGlobal(nullptr, TRUE, memory.Put()), failed);
    ComRef<IWICBitmapEncoder> encoder;
    Check(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.Put()), "no JPEG encoder");
    Check(encoder->Initialize(memory.Get(), WICBitmapEncoderNoCache), failed);
    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> options;
    Check(encoder->CreateNewFrame(frame.Put(), options.Put()), failed);

    PROPBAG2 name{};
    VARIANT value;
    VariantInit(&value);
    name.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    value.vt = VT_R4;
    value.fltVal = float(quality) / 100.0f;
    Check(options->Write(1, &name, &value), failed);
    // 4:2:0 is the encoder's default; the option exists from Windows 8 on
    // and its absence is not an error.
    name.pstrName = const_cast<LPOLESTR>(L"JpegYCrCbSubsampling");
    value.vt = VT_UI1;
    value.bVal = WICJpegYCrCbSubsampling420;
    options->Write(1, &name, &value);
    Check(frame->Initialize(options.Get()), failed);
    Check(frame->SetSize(UINT(image.width), UINT(image.height)), failed);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    Check(frame->SetPixelFormat(&format), failed);
    if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
        throw PictureError("the JPEG encoder does not take 24-bit pixels");

    const std::size_t stride = std::size_t(image.width) * 3;
    std::vector<BYTE> rows(stride * std::size_t(image.height));
    for (int y = 0; y < image.height; ++y) {
        const unsigned char* src = image.Row(image.height - 1 - y);
        BYTE* dst = &rows[std::size_t(y) * stride];
        for (int x = 0; x < image.width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    Check(frame->WritePixels(UINT(image.height), UINT(stride), UINT(rows.size()), rows.data()), failed);
    Check(frame->Commit(), failed);
    Check(encoder->Commit(), failed);

    STATSTG stat{};
    Check(memory->Stat(&stat, STATFLAG_NONAME), failed);
    HGLOBAL global = nullptr;
    Check(GetHGlobalFromStream(memory.Get(), &global), failed);
    const void* bytes = GlobalLock(global);
    if (!bytes)
        throw PictureError(failed);
    const auto* first = static_cast<const unsigned char*>(bytes);
    std::vector<unsigned char> out(first, first + stat.cbSize.QuadPart);
    GlobalUnlock(global);
    return out;
}
