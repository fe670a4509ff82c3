// Images through the imaging component and metafiles through GDI. The bytes
// come from another program: headers are checked against the block before a
// system call is told how much to read.
#include "viewer/viewer_draw.h"
#include "base/com_ptr.h"

#include <wincodec.h>

#include <cstring>

namespace {

constexpr unsigned long long kLargestImagePixels = 64ull * 1024 * 1024;

uint32_t read32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

HRESULT decode(const uint8_t* bytes, size_t size, DecodedImage* out) {
    if (!bytes || size == 0 || size > 0xFFFFFFFFu) return E_INVALIDARG;
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(factory.put()));
    if (FAILED(hr)) return hr;
    ComPtr<IWICStream> stream;
    if (FAILED(hr = factory->CreateStream(stream.put()))) return hr;
    // The stream only reads the bytes; the interface wants them writable.
    if (FAILED(hr = stream->InitializeFromMemory(const_cast<BYTE*>(bytes), static_cast<DWORD>(size)))) return hr;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(hr = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put())))
        return hr;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(hr = decoder->GetFrame(0, frame.put()))) return hr;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(hr = factory->CreateFormatConverter(converter.put()))) return hr;
    if (FAILED(hr = converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                          WICBitmapPaletteTypeCustom)))
        return hr;
    UINT width = 0, height = 0;
    if (FAILED(hr = converter->GetSize(&width, &height))) return hr;
    if (width == 0 || height == 0) return E_FAIL;
    if (static_cast<unsigned long long>(width) * height > kLargestImagePixels) return E_OUTOFMEMORY;
    out->pixels.resize(static_cast<size_t>(width) * height * 4);
    if (FAILED(hr = converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(out->pixels.size()), out->pixels.data()))) {
        out->pixels.clear();
        return hr;
    }
    out->width = width;
    out->height = height;
    return S_OK;
}

}  // namespace

DecodedImage viewer_decode_image(const uint8_t* bytes, size_t size) {
    DecodedImage image{E_FAIL, 0, 0, {}};
    image.result = decode(bytes, size, &image);
    return image;
}

HENHMETAFILE viewer_enhmetafile(const uint8_t* bytes, size_t size) {
    if (!bytes || size < sizeof(ENHMETAHEADER)) return nullptr;
    ENHMETAHEADER header;
    std::memcpy(&header, bytes, sizeof header);
    if (header.iType != EMR_HEADER || header.dSignature != ENHMETA_SIGNATURE || header.nSize < sizeof(ENHMETARECORD) ||
        header.nSize > header.nBytes || header.nBytes > size)
        return nullptr;
    return SetEnhMetaFileBits(header.nBytes, bytes);
}

HENHMETAFILE viewer_metafilepict(const uint8_t* bytes, size_t size) {
    constexpr size_t kHead = 12;
    if (!bytes || size < kHead + sizeof(METAHEADER)) return nullptr;
    METAHEADER header;
    std::memcpy(&header, bytes + kHead, sizeof header);
    const unsigned long long total = 2ull * header.mtSize;  // in 16-bit words
    if (header.mtHeaderSize * 2u != sizeof(METAHEADER) || total < sizeof(METAHEADER) || total > size - kHead) return nullptr;
    const METAFILEPICT picture{static_cast<LONG>(read32(bytes)), static_cast<LONG>(read32(bytes + 4)),
                               static_cast<LONG>(read32(bytes + 8)), nullptr};
    return SetWinMetaFileBits(static_cast<UINT>(total), bytes + kHead, nullptr, &picture);
}
