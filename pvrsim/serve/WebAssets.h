// WebAssets.h - the page's files (web/), built into pvrsim so that it
// serves them wherever it runs.
#pragma once

#include <cstddef>
#include <string>

namespace pvrsim::serve {

struct WebAsset {
  const char *path;  // "/", "/page.js", "/page.css"
  const char *contentType;
  const unsigned char *data;
  size_t size;
};

// The asset served at a path, or null.
const WebAsset *findWebAsset(const std::string &path);

}  // namespace pvrsim::serve
