// OLE Automation strings and variants. Every BSTR and every variant in use is tracked, so
// that tests can see what the code leaves unfreed or uncleared.
#include <cstdlib>
#include <cstring>

#include "platform/sim/sim_state.h"

namespace sim {

namespace {

// A BSTR is preceded by its length in bytes, as on Windows; code that hands a plain wide
// string where a BSTR is wanted is caught because its pointer is not among the live ones.
BSTR AllocateBstr(const OLECHAR* text, size_t length) {
  uint32_t* block =
      static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) + (length + 1) * sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  block[0] = static_cast<uint32_t>(length * sizeof(OLECHAR));
  BSTR result = reinterpret_cast<BSTR>(block + 1);
  if (length > 0) std::memcpy(result, text, length * sizeof(OLECHAR));
  result[length] = 0;
  State& state = Current();
  state.LiveBstrs.insert(result);
  state.Log.LiveBstrs = static_cast<int>(state.LiveBstrs.size());
  return result;
}

void UpdateLiveVariants() {
  State& state = Current();
  state.Log.LiveVariants = static_cast<int>(state.LiveVariants.size());
}

}  // namespace

BSTR AllocateCountedBstr(const std::wstring& text) {
  return AllocateBstr(text.c_str(), text.size());
}

void MarkVariantLive(const VARIANT* value) {
  Current().LiveVariants.insert(value);
  UpdateLiveVariants();
}

}  // namespace sim

BSTR SysAllocString(const OLECHAR* text) {
  sim::State& state = sim::Current();
  sim::AddEvent("SysAllocString");
  uint64_t call = state.SequenceAllocations++;
  const sim::StepFailure* failure = sim::FindFailure("SysAllocString");
  if (failure != nullptr && call >= failure->After) return nullptr;  // out of memory
  if (text == nullptr) return nullptr;
  return sim::AllocateBstr(text, std::wcslen(text));
}

void SysFreeString(BSTR text) {
  sim::State& state = sim::Current();
  sim::AddEvent("SysFreeString");
  if (text == nullptr) return;
  if (state.LiveBstrs.erase(text) == 0) {
    // Freeing it would corrupt the heap; the fault is recorded instead.
    sim::AddMisuse("SysFreeString of a text that is not a live BSTR");
    return;
  }
  std::free(reinterpret_cast<uint32_t*>(text) - 1);
  state.Log.LiveBstrs = static_cast<int>(state.LiveBstrs.size());
}

void VariantInit(VARIANTARG* value) {
  sim::AddEvent("VariantInit");
  if (value == nullptr) return;
  value->vt = VT_EMPTY;
  value->wReserved1 = value->wReserved2 = value->wReserved3 = 0;
  value->ullVal = 0;
  sim::MarkVariantLive(value);
}

HRESULT VariantClear(VARIANTARG* value) {
  sim::AddEvent("VariantClear");
  if (value == nullptr) return E_INVALIDARG;
  if (value->vt == VT_BSTR) SysFreeString(value->bstrVal);
  value->vt = VT_EMPTY;
  value->ullVal = 0;
  sim::Current().LiveVariants.erase(value);
  sim::UpdateLiveVariants();
  return S_OK;
}
