// PNG decoding on Windows, through the Windows Imaging Component.

#include <objbase.h>
#include <wincodec.h>
#include <windows.h>

#include "render.h"

namespace iconaccess {
namespace {

// Releases a COM interface when it goes out of scope.
template <typename T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** out() { return &p; }
  T* operator->() const { return p; }
};

// COM for the calling thread, for as long as the decode runs. The loader's thread has no COM of
// its own; a thread that has it already keeps it as it was.
struct ComScope {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  ~ComScope() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

}  // namespace

std::optional<Pixels> decodePng(std::span<const std::uint8_t> png) {
  if (png.size() > 0x7FFFFFFF) return std::nullopt;
  ComScope com;
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out())))) {
    return std::nullopt;
  }
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  if (FAILED(factory->CreateStream(stream.out())) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(png.data()),
                                          static_cast<DWORD>(png.size()))) ||
      FAILED(factory->CreateDecoderFromStream(stream.p, &GUID_ContainerFormatPng,
                                              WICDecodeMetadataCacheOnDemand, decoder.out())) ||
      FAILED(decoder->GetFrame(0, frame.out())) || FAILED(frame->GetSize(&width, &height)) ||
      width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide ||
      FAILED(factory->CreateFormatConverter(converter.out())) ||
      FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return std::nullopt;
  }
  Pixels out;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.argb.resize(static_cast<std::size_t>(width) * height);
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                   reinterpret_cast<BYTE*>(out.argb.data())))) {
    return std::nullopt;
  }
  return out;
}

}  // namespace iconaccess
