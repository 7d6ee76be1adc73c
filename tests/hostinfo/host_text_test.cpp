// The platform-free parts of the queries: reading address texts, writing addresses and the
// hardware-address text with its acceptance rule.
#include <gtest/gtest.h>

#include <vector>

#include "hostseal/hostinfo/ipv4_text.hpp"
#include "hostseal/hostinfo/mac.hpp"
#include "hostseal/hostinfo/mac_text.hpp"

namespace hostseal {
namespace {

std::optional<std::u16string> Mac(std::vector<Byte> reply) {
  return FormatMacReply(reply);
}

TEST(MacText, ZeroBytesGetTwoDigitsAndOthersNoLeadingZero) {
  EXPECT_EQ(Mac({0x00, 0x1A, 0x0C, 0x00, 0xFF, 0x05}), u"00-1A-C-00-FF-5");
  EXPECT_EQ(Mac({0x00, 0x0C, 0x29, 0x0A, 0x0B, 0x01}), u"00-C-29-A-B-1");
  EXPECT_EQ(Mac({0xAB, 0x10, 0x01, 0xF0, 0x00, 0x00}), u"AB-10-1-F0-00-00");
  EXPECT_EQ(Mac({0x02, 0x42}), u"2-42");  // a shorter reply gives as many fields as it has
  EXPECT_EQ(Mac({0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00}), u"00-00-00-1-00-00-00-00");
}

TEST(MacText, RepliesThatNameNoAddressAreRefused) {
  EXPECT_EQ(Mac({0x00, 0x00, 0x00, 0x00, 0x12, 0x34}), std::nullopt);  // first four bytes zero
  EXPECT_EQ(Mac({0, 0, 0, 0, 0, 0}), std::nullopt);                    // loopback
  EXPECT_EQ(Mac({}), std::nullopt);
  EXPECT_EQ(Mac({0x00, 0x00}), std::nullopt);
}

// What it reads: every text that FormatIpv4Text writes (below).
TEST(Ipv4Text, ReadsOnlyFourPlainDecimalFields) {
  for (const std::u16string text :
       {u"", u" 1.2.3.4", u"1.2.3.4 ", u"1.2.3", u"1.2.3.4.5", u"256.1.1.1", u"1.2.3.256",
        u"01.2.3.4", u"1.2.3.00", u"0x1.2.3.4", u"1..3.4", u"1.2.3.", u".1.2.3", u"+1.2.3.4",
        u"1.2.3.4\n", u"1000.2.3.4", u"\uFF11.2.3.4"}) {
    EXPECT_EQ(ParseIpv4Text(text), std::nullopt) << text.size();
  }
  // A text cut short by a zero character is not read as its prefix.
  EXPECT_EQ(ParseIpv4Text(std::u16string(u"1.2.3.4\0", 8)), std::nullopt);
}

TEST(Ipv4Text, WritesWithoutPaddingAndReadsBackWhatItWrites) {
  EXPECT_EQ(FormatIpv4Text({10, 0, 0, 5}), u"10.0.0.5");
  EXPECT_EQ(FormatIpv4Text({0, 0, 0, 0}), u"0.0.0.0");
  EXPECT_EQ(FormatIpv4Text({255, 100, 99, 9}), u"255.100.99.9");
  for (unsigned value = 0; value < 256; ++value) {
    // Every byte value in every field.
    const Ipv4Address address{static_cast<Byte>(value), static_cast<Byte>(255 - value),
                              static_cast<Byte>(value ^ 0x5A), static_cast<Byte>(value * 7)};
    EXPECT_EQ(ParseIpv4Text(FormatIpv4Text(address)), address);
  }
}

TEST(MacQuery, TextsThatAreNotAddressesFailBeforeAnyLookUp) {
  // Refused while reading the text, so these never reach the network.
  for (const std::u16string text : {u"", u"0.0.0.0", u"1.2.3", u"not an address", u"01.2.3.4",
                                    u"127.0.0.01", u"1.2.3.4 ", u"256.1.1.1"}) {
    std::u16string mac = u"unchanged";
    EXPECT_FALSE(MAC::GetMacAddress(text, mac, std::chrono::milliseconds{0}));
    EXPECT_EQ(mac, u"unchanged");
  }
}

}  // namespace
}  // namespace hostseal
