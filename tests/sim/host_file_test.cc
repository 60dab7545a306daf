// The host-file parser: what each kind of entry gives, and the exact report of each mistake.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/sim/sim_host.h"

namespace {

// The whole machine as text, so that two hosts compare with a readable difference.
std::string Describe(const sim::Host& host) {
  std::ostringstream out;
  out << "version " << host.MajorVersion << "." << host.MinorVersion << "." << host.BuildNumber
      << (host.VersionQueryFails ? " fails" : "") << "\n";
  out << "key " << host.KeyExists << " denied " << host.AccessDenied << "\n";
  for (const auto& value : host.Values) {
    out << value.first << " type " << value.second.Type << " data";
    for (BYTE b : value.second.Data) out << " " << int(b);
    out << "\n";
  }
  for (const sim::WmiInstance& instance : host.Instances) {
    out << instance.ClassName << ":";
    for (const auto& property : instance.Properties) {
      const sim::WmiValue& v = property.second;
      out << " " << property.first << "=" << v.ValueKind << "/" << v.TextValue << "/"
          << v.Int32Value << "/" << v.UInt64Value;
    }
    out << "\n";
  }
  auto plan = [&out](const std::string& title, const sim::FailurePlan& failures) {
    for (const auto& failure : failures) {
      out << title << " " << failure.first << " " << failure.second.Code << " after "
          << failure.second.After << "\n";
    }
  };
  plan("all", host.Failures);
  for (const auto& sequence : host.SequenceFailures) {
    plan("seq" + std::to_string(sequence.first), sequence.second);
  }
  return out.str();
}

sim::Host Parse(const std::string& text) {
  sim::Host host;
  std::string error;
  EXPECT_TRUE(sim::ParseHostText(text, "t.host", &host, &error)) << error;
  return host;
}

TEST(HostFile, TypicalExampleIsTheDefaultMachine) {
  std::ifstream file(std::string(TESSIV_SOURCE_DIR) + "/examples/typical.host");
  ASSERT_TRUE(file.good());
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_EQ(Describe(Parse(text.str())), Describe(sim::DefaultHost()));
}

TEST(HostFile, EmptyFileIsAnXpMachineWithoutDriverOrDevices) {
  sim::Host host = Parse("# nothing\n\n");
  EXPECT_EQ(host.MajorVersion, 5u);
  EXPECT_FALSE(host.KeyExists);
  EXPECT_TRUE(host.Instances.empty());
  EXPECT_TRUE(host.Failures.empty());
}

TEST(HostFile, OsAndRegistryEntries) {
  sim::Host host = Parse(
      "[os]\nMajorVersion=0x6\nMinorVersion = 0\nBuildNumber = 6000 # Vista\n"
      "GetVersionExW = fail\r\n"
      "[registry]\n"
      "HighMemoryAreaReservedStart = qword:1122334455667788\n"
      "HighMemoryAreaReservedSize = binary:34 12 ab\n"
      "Access = denied\n");
  EXPECT_EQ(host.MajorVersion, 6u);
  EXPECT_EQ(host.MinorVersion, 0u);
  EXPECT_EQ(host.BuildNumber, 6000u);
  EXPECT_TRUE(host.VersionQueryFails);
  EXPECT_TRUE(host.KeyExists);
  EXPECT_TRUE(host.AccessDenied);
  const sim::RegistryValue& start = host.Values["HighMemoryAreaReservedStart"];
  EXPECT_EQ(start.Type, REG_QWORD);
  EXPECT_EQ(start.Data, (std::vector<BYTE>{0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}));
  const sim::RegistryValue& size = host.Values["HighMemoryAreaReservedSize"];
  EXPECT_EQ(size.Type, REG_BINARY);
  EXPECT_EQ(size.Data, (std::vector<BYTE>{0x34, 0x12, 0xAB}));
}

TEST(HostFile, StringValuesKeepHashesThatFollowNoBlank) {
  sim::Host host = Parse(
      "[registry]\nHighMemoryAreaReservedStart = string:a#b # comment\n"
      "[wmi Win32_PhysicalMemory]\nCapacity = string: 12x#1  # comment\n");
  EXPECT_EQ(host.Values["HighMemoryAreaReservedStart"].Type, REG_SZ);
  EXPECT_EQ(host.Values["HighMemoryAreaReservedStart"].Data,
            (std::vector<BYTE>{'a', 0, '#', 0, 'b', 0, 0, 0}));
  EXPECT_EQ(host.Instances[0].Properties[0].second.TextValue, " 12x#1");
}

TEST(HostFile, WmiValueKindsFollowTheProperty) {
  sim::Host host = Parse(
      "[wmi Win32_PhysicalMemory]\nCapacity = 2147483648\nMemoryType = 4294967295\n"
      "[wmi Win32_PhysicalMemory]\nCapacity = ui8:0x10\nMemoryType = i4:-2\n"
      "[wmi Win32_DeviceMemoryAddress]\nStartingAddress = null\n");
  ASSERT_EQ(host.Instances.size(), 3u);
  const auto& first = host.Instances[0].Properties;
  EXPECT_EQ(first[0].second.ValueKind, sim::WmiValue::Text);
  EXPECT_EQ(first[0].second.TextValue, "2147483648");
  EXPECT_EQ(first[1].second.ValueKind, sim::WmiValue::Int32);
  EXPECT_EQ(first[1].second.Int32Value, -1);
  const auto& second = host.Instances[1].Properties;
  EXPECT_EQ(second[0].second.ValueKind, sim::WmiValue::UInt64);
  EXPECT_EQ(second[0].second.UInt64Value, 16u);
  EXPECT_EQ(second[1].second.Int32Value, -2);
  EXPECT_EQ(host.Instances[2].ClassName, "Win32_DeviceMemoryAddress");
  EXPECT_EQ(host.Instances[2].Properties[0].second.ValueKind, sim::WmiValue::Null);
}

TEST(HostFile, FailurePlans) {
  sim::Host host = Parse(
      "[failures]\nConnectServer = 0x80041003\nCoInitializeEx = 1\nNext = 0x80041001 after 2\n"
      "SysAllocString = fail after 3\nCreateFileW = 5\nWriteFile = 112 after 10\n"
      "CreateProcessW = 2\nWaitForSingleObject = fail\n"
      "[failures 2]\nExecQuery = -2147217392\nSysAllocString = fail\n");
  EXPECT_EQ(host.Failures["ConnectServer"].Code, static_cast<int32_t>(0x80041003u));
  EXPECT_EQ(host.Failures["CoInitializeEx"].Code, 1);
  EXPECT_EQ(host.Failures["Next"].After, 2u);
  EXPECT_EQ(host.Failures["SysAllocString"].After, 3u);
  EXPECT_EQ(host.Failures["CreateFileW"].Code, 5);
  EXPECT_EQ(host.Failures["WriteFile"].Code, 112);
  EXPECT_EQ(host.Failures["WriteFile"].After, 10u);
  EXPECT_EQ(host.Failures["CreateProcessW"].Code, 2);
  EXPECT_EQ(host.Failures.count("WaitForSingleObject"), 1u);
  EXPECT_EQ(host.SequenceFailures[2]["ExecQuery"].Code, static_cast<int32_t>(0x80041010u));
  EXPECT_EQ(host.SequenceFailures[2]["SysAllocString"].After, 0u);
  EXPECT_EQ(host.SequenceFailures.count(1), 0u);
}

struct Malformed {
  const char* Text;
  const char* Error;
};

class HostFileErrors : public testing::TestWithParam<Malformed> {};

TEST_P(HostFileErrors, NameTheLineAndTheMistake) {
  sim::Host host;
  std::string error;
  EXPECT_FALSE(sim::ParseHostText(GetParam().Text, "bad.host", &host, &error));
  EXPECT_EQ(error, GetParam().Error);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostFileErrors,
    testing::Values(
        Malformed{"[disk]\n", "bad.host:1: unknown section [disk]"},
        Malformed{"# c\n[os]\nMajor = 5\n", "bad.host:3: unknown key 'Major' in [os]"},
        Malformed{"[os]\nMajorVersion = 5x\n", "bad.host:2: bad number '5x'"},
        Malformed{"[os]\nMajorVersion = 0x100000000\n", "bad.host:2: bad number '0x100000000'"},
        Malformed{"[os]\njust words\n", "bad.host:2: expected a section header or 'name = value'"},
        Malformed{"MajorVersion = 5\n", "bad.host:1: entry outside a section"},
        Malformed{"[os]\nMajorVersion = 5\n[registry]\n[os]\nMajorVersion = 6\n",
                  "bad.host:5: duplicate key 'MajorVersion' in [os]"},
        Malformed{"[registry]\nHighMemoryAreaReservedSize = binary:123\n",
                  "bad.host:2: odd number of hex digits in '123'"},
        Malformed{"[registry]\nHighMemoryAreaReservedSize = sz:1\n",
                  "bad.host:2: unknown value kind 'sz'"},
        Malformed{"[registry]\nHighMemoryAreaReservedSize = 5\n",
                  "bad.host:2: unknown value kind '5'"},
        Malformed{"[registry]\nHighMemoryAreaReservedSize = dword:123456789\n",
                  "bad.host:2: bad number '123456789'"},
        Malformed{"[registry]\nOther = dword:1\n", "bad.host:2: unknown key 'Other' in [registry]"},
        Malformed{"[registry]\nAccess = granted\n",
                  "bad.host:2: bad value 'granted' (expected 'denied')"},
        Malformed{"[wmi Win32_Processor]\n", "bad.host:1: unknown WMI class 'Win32_Processor'"},
        Malformed{"[wmi Win32_PhysicalMemory]\nStartingAddress = 1\n",
                  "bad.host:2: unknown property 'StartingAddress' of Win32_PhysicalMemory"},
        Malformed{"[wmi Win32_PhysicalMemory]\nCapacity = 1\nCapacity = 2\n",
                  "bad.host:3: duplicate key 'Capacity' in [wmi Win32_PhysicalMemory]"},
        Malformed{"[wmi Win32_PhysicalMemory]\nCapacity = bstr:1\n",
                  "bad.host:2: unknown value kind 'bstr'"},
        Malformed{"[wmi Win32_PhysicalMemory]\nCapacity = 0x10\n", "bad.host:2: bad number '0x10'"},
        Malformed{"[failures]\nOpen = 1\n", "bad.host:2: unknown key 'Open' in [failures]"},
        Malformed{"[failures]\nExecQuery = 1 after 2\n",
                  "bad.host:2: bad value '1 after 2' (expected a code)"},
        Malformed{"[failures]\nNext = 1 before 2\n",
                  "bad.host:2: bad value '1 before 2' (expected '<code>' or '<code> after <n>')"},
        Malformed{"[failures]\nSysAllocString = 3\n",
                  "bad.host:2: bad value '3' (expected 'fail' or 'fail after <n>')"},
        Malformed{"[failures 0]\n", "bad.host:1: bad sequence number '0'"},
        Malformed{"[failures 2]\nCreateFileW = 5\n",
                  "bad.host:2: key 'CreateFileW' belongs in [failures], not in [failures 2]"},
        Malformed{"[os] x\n", "bad.host:1: unexpected text after ']'"}));

}  // namespace
