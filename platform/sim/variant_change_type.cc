// VariantChangeType for the conversions that WMI property values need: to VT_UI8 above all,
// and minimally to VT_I4 and VT_BSTR.
#include <string>

#include "platform/sim/sim_state.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Decimal text with blanks around it, as OLE accepts it. Negative numbers are valid
// numbers, only out of range for an unsigned target.
HRESULT ParseDecimal(const BSTR text, bool* negative, uint64_t* magnitude) {
  if (text == nullptr) return DISP_E_TYPEMISMATCH;
  const wchar_t* c = text;
  while (IsBlank(*c)) ++c;
  *negative = *c == L'-';
  if (*c == L'-' || *c == L'+') ++c;
  if (*c < L'0' || *c > L'9') return DISP_E_TYPEMISMATCH;
  bool overflow = false;
  *magnitude = 0;
  for (; *c >= L'0' && *c <= L'9'; ++c) {
    uint64_t digit = static_cast<uint64_t>(*c - L'0');
    if (*magnitude > (UINT64_MAX - digit) / 10) overflow = true;
    *magnitude = *magnitude * 10 + digit;
  }
  while (IsBlank(*c)) ++c;
  if (*c != 0) return DISP_E_TYPEMISMATCH;
  return overflow ? DISP_E_OVERFLOW : S_OK;
}

// The source as a signed or unsigned 64-bit number.
HRESULT SourceNumber(const VARIANTARG* source, bool* negative, uint64_t* magnitude) {
  *negative = false;
  switch (source->vt) {
    case VT_EMPTY:
      *magnitude = 0;
      return S_OK;
    case VT_I2:
    case VT_I4:
    case VT_I8: {
      int64_t value = source->vt == VT_I8   ? source->llVal
                      : source->vt == VT_I4 ? source->lVal
                                            : static_cast<int16_t>(source->ulVal & 0xFFFF);
      *negative = value < 0;
      *magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
      return S_OK;
    }
    case VT_UI1:
      *magnitude = source->ulVal & 0xFF;
      return S_OK;
    case VT_UI2:
      *magnitude = source->ulVal & 0xFFFF;
      return S_OK;
    case VT_UI4:
      *magnitude = source->ulVal;
      return S_OK;
    case VT_UI8:
      *magnitude = source->ullVal;
      return S_OK;
    case VT_BSTR:
      return ParseDecimal(source->bstrVal, negative, magnitude);
    default:
      return DISP_E_TYPEMISMATCH;  // VT_NULL among others
  }
}

HRESULT Convert(const VARIANTARG* source, VARTYPE type, VARIANTARG* result) {
  if (type == VT_BSTR && source->vt == VT_BSTR) {
    result->vt = VT_BSTR;
    result->bstrVal = sim::AllocateCountedBstr(source->bstrVal ? source->bstrVal : L"");
    return S_OK;
  }
  bool negative = false;
  uint64_t magnitude = 0;
  HRESULT status = SourceNumber(source, &negative, &magnitude);
  if (FAILED(status)) return status;
  if (negative && magnitude == 0) negative = false;
  switch (type) {
    case VT_UI8:
      if (negative) return DISP_E_OVERFLOW;
      result->vt = VT_UI8;
      result->ullVal = magnitude;
      return S_OK;
    case VT_I4:
      if (magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return DISP_E_OVERFLOW;
      result->vt = VT_I4;
      result->lVal = static_cast<LONG>(negative ? 0 - static_cast<int64_t>(magnitude)
                                                : static_cast<int64_t>(magnitude));
      return S_OK;
    case VT_BSTR:
      if (source->vt == VT_EMPTY) {
        result->vt = VT_BSTR;
        result->bstrVal = sim::AllocateCountedBstr(L"");
        return S_OK;
      }
      result->vt = VT_BSTR;
      result->bstrVal =
          sim::AllocateCountedBstr((negative ? L"-" : L"") + std::to_wstring(magnitude));
      return S_OK;
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

}  // namespace

HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                          VARTYPE type) {
  sim::AddEvent("VariantChangeType");
  sim::Current().Log.ChangeTypeArgs.push_back("flags=" + std::to_string(flags) +
                                              " vt=" + std::to_string(type));
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  VARIANTARG result;
  result.vt = VT_EMPTY;
  result.wReserved1 = result.wReserved2 = result.wReserved3 = 0;
  result.ullVal = 0;
  HRESULT status = Convert(source, type, &result);
  // On failure the destination is left as it was.
  if (FAILED(status)) return status;
  // The destination's old content is cleared first, even when it is the source itself.
  VariantClear(destination);
  *destination = result;
  sim::MarkVariantLive(destination);
  return S_OK;
}
