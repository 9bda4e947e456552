#include "deziva27/host/runtime/detail/Icu.h"

#include <memory>

#include "deziva27/platform/detail/Nls.h"

namespace dz::detail {
namespace {

struct CollatorClose {
  void operator()(UCollator* c) const { ucol_close(c); }
};

struct ThreadCache {
  uint32_t epoch = 0;
  std::unique_ptr<UCollator, CollatorClose> caseless, cased;
  std::string caseLocale;

  void Refresh() {
    if (epoch == win::nls::LocaleEpoch()) return;
    epoch = win::nls::LocaleEpoch();
    caseless.reset();
    cased.reset();
    caseLocale = win::nls::LocaleNameOf(win::GetSystemDefaultLCID());
  }
};

ThreadCache& Cache() {
  thread_local ThreadCache cache;
  cache.Refresh();
  return cache;
}

UCollator* OpenCollator(UColAttributeValue strength) {
  UErrorCode err = U_ZERO_ERROR;
  UCollator* c = ucol_open(Cache().caseLocale.c_str(), &err);
  if (U_FAILURE(err)) {
    err = U_ZERO_ERROR;
    c = ucol_open("", &err);
  }
  ucol_setStrength(c, strength);
  return c;
}

}  // namespace

UCollator* CaselessCollator() {
  auto& cache = Cache();
  if (!cache.caseless) cache.caseless.reset(OpenCollator(UCOL_SECONDARY));
  return cache.caseless.get();
}

UCollator* CaseCollator() {
  auto& cache = Cache();
  if (!cache.cased) cache.cased.reset(OpenCollator(UCOL_TERTIARY));
  return cache.cased.get();
}

const char* CaseLocale() {
  return Cache().caseLocale.c_str();
}

uint32_t LocaleEpoch() {
  return win::nls::LocaleEpoch();
}

}  // namespace dz::detail
