// VariantChangeType as the WMI probes use it: anything WMI delivers, to VT_UI8.
#include <gtest/gtest.h>

#include "platform/sim/sim_host.h"

namespace {

struct Conversion {
  const char* Name;
  VARTYPE SourceType;
  const wchar_t* Text;  // VT_BSTR
  int64_t Number;       // VT_I4, VT_UI8
  HRESULT Result;
  uint64_t Value;
};

class ToUInt64 : public testing::TestWithParam<Conversion> {};

TEST_P(ToUInt64, ConvertsOrRefuses) {
  const Conversion& c = GetParam();
  sim::InstallHost(sim::Host());
  VARIANT source, destination;
  VariantInit(&source);
  VariantInit(&destination);
  source.vt = c.SourceType;
  if (c.SourceType == VT_BSTR) source.bstrVal = SysAllocString(c.Text);
  if (c.SourceType == VT_I4) source.lVal = static_cast<LONG>(c.Number);
  if (c.SourceType == VT_UI8) source.ullVal = static_cast<uint64_t>(c.Number);
  EXPECT_EQ(VariantChangeType(&destination, &source, 0, VT_UI8), c.Result);
  if (c.Result == S_OK) {
    EXPECT_EQ(destination.vt, VT_UI8);
    EXPECT_EQ(destination.ullVal, c.Value);
  } else {
    EXPECT_EQ(destination.vt, VT_EMPTY);
  }
  VariantClear(&source);
  VariantClear(&destination);
  EXPECT_EQ(sim::Recorded().LiveBstrs, 0);
  EXPECT_EQ(sim::Recorded().LiveVariants, 0);
  EXPECT_EQ(sim::Recorded().ChangeTypeArgs, std::vector<std::string>{"flags=0 vt=21"});
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ToUInt64,
    testing::Values(Conversion{"decimal_text", VT_BSTR, L"3758096384", 0, S_OK, 3758096384u},
                    Conversion{"blanks_around", VT_BSTR, L"  42\t ", 0, S_OK, 42},
                    Conversion{"largest", VT_BSTR, L"18446744073709551615", 0, S_OK, UINT64_MAX},
                    Conversion{"too_large", VT_BSTR, L"18446744073709551616", 0, DISP_E_OVERFLOW,
                               0},
                    Conversion{"negative_text", VT_BSTR, L"-1", 0, DISP_E_OVERFLOW, 0},
                    Conversion{"not_a_number", VT_BSTR, L"12x", 0, DISP_E_TYPEMISMATCH, 0},
                    Conversion{"empty_text", VT_BSTR, L"", 0, DISP_E_TYPEMISMATCH, 0},
                    Conversion{"i4", VT_I4, nullptr, 21, S_OK, 21},
                    Conversion{"negative_i4", VT_I4, nullptr, -1, DISP_E_OVERFLOW, 0},
                    Conversion{"ui8", VT_UI8, nullptr, 1ll << 40, S_OK, 1ull << 40},
                    Conversion{"null", VT_NULL, nullptr, 0, DISP_E_TYPEMISMATCH, 0},
                    Conversion{"empty", VT_EMPTY, nullptr, 0, S_OK, 0}),
    [](const testing::TestParamInfo<Conversion>& info) { return std::string(info.param.Name); });

TEST(Variants, OtherTargetsAndUnclearedBstrs) {
  sim::InstallHost(sim::Host());
  VARIANT source, destination;
  VariantInit(&source);
  VariantInit(&destination);
  source.vt = VT_UI8;
  source.ullVal = 3000000000u;
  EXPECT_EQ(VariantChangeType(&destination, &source, 0, VT_I4), DISP_E_OVERFLOW);
  EXPECT_EQ(VariantChangeType(&destination, &source, 0, VT_BSTR), S_OK);
  EXPECT_EQ(std::wstring(destination.bstrVal), L"3000000000");
  EXPECT_EQ(VariantChangeType(&destination, &source, 0, VT_BOOL), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(sim::Recorded().LiveBstrs, 1);  // the destination still holds its text
  EXPECT_EQ(sim::Recorded().LiveVariants, 2);
  VariantClear(&destination);
  VariantClear(&source);
  EXPECT_EQ(sim::Recorded().LiveBstrs, 0);
  EXPECT_EQ(sim::Recorded().LiveVariants, 0);
}

}  // namespace
