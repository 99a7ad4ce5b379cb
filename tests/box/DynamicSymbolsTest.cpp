// DynamicSymbolsTest.cpp - dlsym as TAPs see it: the library's TryResolve pattern against hidden
// names, look-up counts, and pvrsim's names winning over a program's own.
#include "BoxTest.h"

#include <dlfcn.h>

#include <cstring>

extern "C" {
// The loader's own dlsym, beside the wrapped one (--wrap=dlsym).
void *__real_dlsym(void *handle, const char *name);

// This program defines a name that pvrsim defines too, as a program that
// links its own copy of the library does with the firmware's names.
__attribute__((visibility("default"), used)) int __wrap_utime(const char *, const void *) { return -42; }

// A name only this program defines.
__attribute__((visibility("default"), used)) int boxTestOwnFunction() { return 7; }
}

namespace {
// The library's look-up: global scope, dlsym, dlerror, dlclose.
void *tryResolve(const char *name, std::string *error = nullptr) {
  void *global = dlopen(nullptr, RTLD_LAZY | RTLD_GLOBAL);
  if (global == nullptr) return nullptr;
  dlerror();
  void *address = dlsym(global, name);
  const char *message = dlerror();
  if (error != nullptr) *error = message != nullptr ? message : "";
  dlclose(global);
  return message != nullptr ? nullptr : address;
}

std::string libraryOf(void *address) {
  Dl_info info{};
  return dladdr(address, &info) != 0 && info.dli_fname != nullptr ? info.dli_fname : "";
}
}  // namespace

using DynamicSymbolsTest = BoxTest;

TEST_F(DynamicSymbolsTest, PvrsimNamesAreNotShadowedByTheProgram) {
  void *global = dlopen(nullptr, RTLD_LAZY);
  void *plain = __real_dlsym(global, "__wrap_utime");
  dlclose(global);
  ASSERT_EQ(plain, reinterpret_cast<void *>(&__wrap_utime));  // the loader alone finds ours

  void *address = tryResolve("__wrap_utime");
  ASSERT_NE(address, nullptr);
  EXPECT_NE(address, reinterpret_cast<void *>(&__wrap_utime));
  EXPECT_NE(libraryOf(address).find("libpvrsim"), std::string::npos) << libraryOf(address);
}

TEST_F(DynamicSymbolsTest, OtherNamesResolveAsUsual) {
  EXPECT_EQ(tryResolve("boxTestOwnFunction"), reinterpret_cast<void *>(&boxTestOwnFunction));
  void *global = dlopen(nullptr, RTLD_LAZY);
  void *expected = __real_dlsym(global, "strlen");
  dlclose(global);
  EXPECT_EQ(tryResolve("strlen"), expected);
  std::string error;
  EXPECT_EQ(tryResolve("_Z16Appl_NoSuchThingv", &error), nullptr);
  EXPECT_NE(error.find("_Z16Appl_NoSuchThingv"), std::string::npos);
}

TEST_F(DynamicSymbolsTest, HiddenNamesAreMissingWithAnError) {
  ASSERT_NE(tryResolve("__wrap_open"), nullptr);
  pvrsim::box::hideSymbol("__wrap_open");
  std::string error;
  EXPECT_EQ(tryResolve("__wrap_open", &error), nullptr);
  EXPECT_NE(error.find("__wrap_open"), std::string::npos) << error;
  EXPECT_NE(tryResolve("__wrap_close"), nullptr);  // only that name
  pvrsim::box::hideSymbol("boxTestOwnFunction");
  EXPECT_EQ(tryResolve("boxTestOwnFunction"), nullptr);
  pvrsim::box::unhideAll();
  EXPECT_NE(tryResolve("__wrap_open"), nullptr);
  EXPECT_NE(tryResolve("boxTestOwnFunction"), nullptr);
}

TEST_F(DynamicSymbolsTest, LookupsAreCountedPerName) {
  EXPECT_EQ(pvrsim::box::lookupCount("_tapTask"), 0);
  tryResolve("_tapTask");
  tryResolve("_tapTask");
  pvrsim::box::hideSymbol("_curTapTask");
  tryResolve("_curTapTask");  // failed look-ups count too
  EXPECT_EQ(pvrsim::box::lookupCount("_tapTask"), 2);
  EXPECT_EQ(pvrsim::box::lookupCount("_curTapTask"), 1);
  pvrsim::box::resetLookupCounts();
  EXPECT_EQ(pvrsim::box::lookupCount("_tapTask"), 0);
}

TEST_F(DynamicSymbolsTest, ANewRunForgetsHiddenNamesAndCounts) {
  pvrsim::box::hideSymbol("__wrap_open");
  tryResolve("__wrap_open");
  reconfigure();
  EXPECT_EQ(pvrsim::box::lookupCount("__wrap_open"), 0);
  EXPECT_NE(tryResolve("__wrap_open"), nullptr);
}
