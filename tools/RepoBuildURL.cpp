// RepoBuildURL.cpp - the address of a file in a repository: the master
// list names each package's description relative to the repository, so
// that a repository can move to another server without being rebuilt.
#include <stdio.h>
#include <string.h>

#include "ToolsInternal.h"

bool RepoBuildURL(const char *repoURL, const char *name, char *url, dword urlSize) {
  if (url == nullptr || urlSize == 0) return false;
  url[0] = '\0';
  if (repoURL == nullptr || repoURL[0] == '\0' || name == nullptr || name[0] == '\0') return false;
  int length;
  if (strstr(name, "://") != nullptr) {
    length = snprintf(url, urlSize, "%s", name);
  } else {
    const char *separator = repoURL[strlen(repoURL) - 1] == '/' ? "" : "/";
    length = snprintf(url, urlSize, "%s%s%s", repoURL, separator, name);
  }
  if (length < 0 || (dword)length >= urlSize) {
    url[0] = '\0';
    return false;
  }
  return true;
}
