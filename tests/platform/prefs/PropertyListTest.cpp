#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "platform/base/PropertyList.h"
#include "tests/platform/prefs/PhonePlistFixtures.h"

namespace base {
// Lets failures print the value rather than its bytes.
void PrintTo(const PlistValue& value, std::ostream* out) {
    *out << value.description();
}
}  // namespace base

using base::PlistFormat;
using base::PlistPtr;
using base::PlistType;
using base::PlistValue;

namespace {

PlistPtr parseText(const std::string& text) {
    return PlistValue::parse(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

PlistPtr roundTrip(const PlistPtr& value, PlistFormat format) {
    auto bytes = value->serialize(format);
    return PlistValue::parse(bytes);
}

PlistPtr sampleDictionary() {
    base::PlistDictionary entries;
    entries["bool"] = PlistValue::boolean(true);
    entries["negative"] = PlistValue::integer(-12);
    entries["min"] = PlistValue::integer(std::numeric_limits<int64_t>::min());
    entries["bigUnsigned"] = PlistValue::unsignedInteger(18446744073709551615ull);
    entries["real"] = PlistValue::real(29.7);
    entries["nan"] = PlistValue::real(std::nan(""));
    entries["inf"] = PlistValue::real(-INFINITY);
    entries["string"] = PlistValue::string("时钟 <&> \"quoted\"");
    entries["empty"] = PlistValue::string("");
    entries["data"] = PlistValue::data({0, 1, 254, 255});
    // XML dates carry whole seconds only.
    entries["date"] = PlistValue::date(736250400.0);
    entries["array"] = PlistValue::array({PlistValue::integer(1), PlistValue::string("two")});
    entries["nested"] = PlistValue::dictionary({{"inner", PlistValue::real(0.25)}});
    return PlistValue::dictionary(std::move(entries));
}

}  // namespace

TEST(PropertyList, EveryKindRoundTripsThroughXmlAndBinary) {
    auto original = sampleDictionary();
    for (auto format : {PlistFormat::XML, PlistFormat::Binary}) {
        auto back = roundTrip(original, format);
        ASSERT_TRUE(back) << "format " << int(format);
        EXPECT_EQ(*back, *original);
        // Signedness survives: the negative value does not come back as a huge unsigned one,
        // and the huge unsigned one does not come back negative.
        EXPECT_EQ(back->objectForKey("negative")->int64Value(), -12);
        EXPECT_EQ(back->objectForKey("min")->int64Value(), std::numeric_limits<int64_t>::min());
        EXPECT_EQ(back->objectForKey("bigUnsigned")->largeUnsignedValue(), 18446744073709551615ull);
    }
}

TEST(PropertyList, ReadsTheBinaryFormTheDeviceWrites) {
    auto root = PlistValue::parse(kPhoneBinaryPlist);
    ASSERT_TRUE(root);
    ASSERT_TRUE(root->isDictionary());
    EXPECT_EQ(root->dictionaryValue().size(), 10u);
    EXPECT_EQ(root->objectForKey("Quorvane.Enabled")->type(), PlistType::Boolean);
    EXPECT_TRUE(root->objectForKey("Quorvane.Enabled")->boolValue());
    EXPECT_EQ(root->objectForKey("Quorvane.Clock.BezelWidth")->doubleValue(), 30.0);
    EXPECT_EQ(root->objectForKey("Quorvane.Clock.FPS")->int64Value(), 60);
    EXPECT_EQ(root->objectForKey("Quorvane.Clock.VerticalOffset")->int64Value(), -12);
    EXPECT_EQ(root->objectForKey("Homescreen.FPS")->int64Value(), 120);
    EXPECT_EQ(root->objectForKey("Quorvane.Clock.TintOverrideMode")->stringValue(), "dark");
    EXPECT_EQ(root->objectForKey("LastSeen")->dateValue(), 736250400.0);
    EXPECT_EQ(root->objectForKey("Blob")->dataValue(), (std::vector<uint8_t>{0, 1, 0xfe}));
    const auto& names = root->objectForKey("Names")->arrayValue();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0]->stringValue(), "时钟");
}

TEST(PropertyList, ReadsTheXmlFormTheDeviceWrites) {
    auto root = parseText(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>Quorvane.Clock.Blur</key>
	<real>3.5</real>
	<key>Quorvane.Clock.Enabled</key>
	<false/>
	<key>Quorvane.Clock.FPS</key>
	<integer>-3</integer>
</dict>
</plist>
)");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->objectForKey("Quorvane.Clock.Blur")->doubleValue(), 3.5);
    EXPECT_FALSE(root->objectForKey("Quorvane.Clock.Enabled")->boolValue());
    EXPECT_EQ(root->objectForKey("Quorvane.Clock.FPS")->int64Value(), -3);
}

TEST(PropertyList, MalformedTruncatedAndHostileInputParsesToNull) {
    EXPECT_FALSE(parseText(""));
    EXPECT_FALSE(parseText("not a property list"));
    EXPECT_FALSE(parseText("<plist><dict><key>a</key>"));
    std::vector<uint8_t> truncated(std::begin(kPhoneBinaryPlist),
                                   std::begin(kPhoneBinaryPlist) + sizeof kPhoneBinaryPlist / 2);
    EXPECT_FALSE(PlistValue::parse(truncated));

    // Nesting far deeper than any file the system writes is refused instead of overflowing the
    // stack of the conversion.
    std::string deep = "<plist version=\"1.0\">";
    for (int i = 0; i < 2000; ++i) deep += "<array>";
    for (int i = 0; i < 2000; ++i) deep += "</array>";
    deep += "</plist>";
    EXPECT_FALSE(parseText(deep));
}

TEST(PropertyList, IntegerConversionTruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(PlistValue::real(29.7)->int64Value(), 29);
    EXPECT_EQ(PlistValue::real(-29.7)->int64Value(), -29);
    EXPECT_EQ(PlistValue::real(std::nan(""))->int64Value(), std::nullopt);
    EXPECT_EQ(PlistValue::real(INFINITY)->int64Value(), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(PlistValue::real(-INFINITY)->int64Value(), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(PlistValue::real(1e30)->int64Value(), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(PlistValue::real(-1e30)->int64Value(), std::numeric_limits<int64_t>::min());
    // 2^63 itself is out of range; the largest double below it is not.
    EXPECT_EQ(PlistValue::real(9223372036854775808.0)->int64Value(),
              std::numeric_limits<int64_t>::max());
    EXPECT_EQ(PlistValue::real(9223372036854774784.0)->int64Value(), 9223372036854774784);
    EXPECT_EQ(PlistValue::unsignedInteger(1ull << 63)->int64Value(),
              std::numeric_limits<int64_t>::max());
    EXPECT_EQ(PlistValue::boolean(true)->int64Value(), 1);
    EXPECT_EQ(PlistValue::string("7")->int64Value(), std::nullopt);
}

TEST(PropertyList, KindsStayDistinctAndNumbersAreThreeKinds) {
    EXPECT_TRUE(PlistValue::boolean(false)->isNumber());
    EXPECT_TRUE(PlistValue::integer(0)->isNumber());
    EXPECT_TRUE(PlistValue::real(0)->isNumber());
    EXPECT_FALSE(PlistValue::string("1")->isNumber());
    EXPECT_FALSE(PlistValue::date(0)->isNumber());
    EXPECT_FALSE(*PlistValue::integer(1) == *PlistValue::boolean(true));
    EXPECT_FALSE(*PlistValue::integer(1) == *PlistValue::real(1.0));
    EXPECT_TRUE(*PlistValue::real(std::nan("")) == *PlistValue::real(std::nan("")));
    EXPECT_EQ(PlistValue::string("x")->doubleValue(), std::nullopt);
    EXPECT_EQ(PlistValue::integer(5)->stringValue(), "");
}

TEST(PropertyList, FactoriesKeepNoNullsAndNoEmbeddedNul) {
    auto array = PlistValue::array({PlistValue::integer(1), nullptr});
    EXPECT_EQ(array->arrayValue().size(), 1u);
    auto dict = PlistValue::dictionary({{"a", nullptr}, {"b", PlistValue::integer(2)}});
    EXPECT_EQ(dict->dictionaryValue().size(), 1u);
    EXPECT_EQ(PlistValue::string(std::string("ab\0cd", 5))->stringValue(), "ab");
}

TEST(PropertyList, DescriptionQuotesWhatNeedsQuotingLikeTheDeviceTools) {
    auto dict = PlistValue::dictionary({
        {"Quorvane.Clock.FPS", PlistValue::integer(60)},
        {"plain", PlistValue::string("light")},
        {"spaced", PlistValue::string("a \"b\"")},
        {"list", PlistValue::array({PlistValue::real(1.5), PlistValue::boolean(true)})},
    });
    EXPECT_EQ(dict->description(),
              "{\n"
              "    \"Quorvane.Clock.FPS\" = 60;\n"
              "    list = (\n"
              "        1.5,\n"
              "        1\n"
              "    );\n"
              "    plain = light;\n"
              "    spaced = \"a \\\"b\\\"\";\n"
              "}");
    EXPECT_EQ(PlistValue::string("a b")->description(), "a b");
    EXPECT_EQ(PlistValue::date(736250400)->description(), "2024-05-01 10:00:00 +0000");
    EXPECT_EQ(PlistValue::unsignedInteger(18446744073709551615ull)->description(),
              "18446744073709551615");
}

// Found by fuzzing preference files: a binary property list whose key held a NUL made libplist
// abort the process, and one whose strings were not UTF-8 parsed, but what was written back from
// it could not be read again, so the next write would have lost the whole domain.
TEST(PropertyList, StringsThatCannotBeWrittenBackAreRefusedBothWays) {
    const std::vector<uint8_t> clean =
        PlistValue::dictionary({{"Kx", PlistValue::string("Vy")}})->serialize(PlistFormat::Binary);
    ASSERT_TRUE(PlistValue::parse(clean));
    auto patched = [&](const char* text, uint8_t byte) {
        std::vector<uint8_t> bytes = clean;
        auto at = std::search(bytes.begin(), bytes.end(), text, text + 2);
        EXPECT_NE(at, bytes.end());
        at[1] = byte;
        return bytes;
    };
    EXPECT_FALSE(PlistValue::parse(patched("Kx", 0x00))) << "NUL in a key";
    EXPECT_FALSE(PlistValue::parse(patched("Vy", 0x00))) << "NUL in a string";
    EXPECT_FALSE(PlistValue::parse(patched("Kx", 0xFF))) << "a key that is not UTF-8";
    EXPECT_FALSE(PlistValue::parse(patched("Vy", 0xC3))) << "a string that is not UTF-8";

    // Values built in memory that could not be stored unchanged do not serialise at all.
    EXPECT_TRUE(PlistValue::dictionary({{"k\xFF", PlistValue::integer(1)}})
                    ->serialize(PlistFormat::Binary)
                    .empty());
    EXPECT_TRUE(
        PlistValue::array({PlistValue::string("caf\xC3")})->serialize(PlistFormat::XML).empty());
}
