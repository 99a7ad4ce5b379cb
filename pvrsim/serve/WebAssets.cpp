// WebAssets.cpp - the page's files as the build embedded them (buildtools/embed
// writes WebAssets.S, which pulls each file in with .incbin).
#include "WebAssets.h"

#include <cstdint>

extern "C" {
extern const unsigned char _ServeIndexHtml_Bitmap[], _ServePageJs_Bitmap[], _ServePageCss_Bitmap[];
extern const int32_t _ServeIndexHtml_Size, _ServePageJs_Size, _ServePageCss_Size;
}

namespace pvrsim::serve {

const WebAsset *findWebAsset(const std::string &path) {
  static const WebAsset assets[] = {
      {"/", "text/html; charset=utf-8", _ServeIndexHtml_Bitmap, size_t(_ServeIndexHtml_Size)},
      {"/page.js", "text/javascript; charset=utf-8", _ServePageJs_Bitmap, size_t(_ServePageJs_Size)},
      {"/page.css", "text/css; charset=utf-8", _ServePageCss_Bitmap, size_t(_ServePageCss_Size)},
  };
  for (const WebAsset &asset : assets)
    if (path == asset.path) return &asset;
  return nullptr;
}

}  // namespace pvrsim::serve
