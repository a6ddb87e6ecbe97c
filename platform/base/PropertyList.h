#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace base {

class PlistValue;

// Values are immutable once made, so one value may be shared by any number of owners and threads.
using PlistPtr = std::shared_ptr<const PlistValue>;
using PlistArray = std::vector<PlistPtr>;
// Transparent comparison lets a lookup take a string_view without building a std::string.
using PlistDictionary = std::map<std::string, PlistPtr, std::less<>>;

enum class PlistType { Boolean, Integer, Real, String, Data, Date, Array, Dictionary };

enum class PlistFormat { XML, Binary };

// One property-list value: a boolean, integer, real, string, data, date, array or dictionary.
//
// Booleans, integers and reals are all "numbers", as the phone's preference service treats them:
// a caller asking for a number accepts any of the three. Integers are signed 64-bit; a file may
// also hold an unsigned integer above INT64_MAX, which is kept as such so that it is written back
// unchanged and converts to INT64_MAX rather than to a negative number.
//
// Array elements and dictionary values are never null; the factories drop null entries.
class PlistValue {
  public:
    static PlistPtr boolean(bool value);
    static PlistPtr integer(int64_t value);
    static PlistPtr unsignedInteger(uint64_t value);
    static PlistPtr real(double value);
    static PlistPtr string(std::string value);
    static PlistPtr data(std::vector<uint8_t> bytes);
    // Seconds since 2001-01-01 00:00:00 UTC, the reference date of property-list dates.
    static PlistPtr date(double secondsSinceReferenceDate);
    static PlistPtr array(PlistArray elements);
    static PlistPtr dictionary(PlistDictionary entries);
    static PlistPtr emptyDictionary();

    // Parses XML or binary property-list bytes. nullptr: the bytes are not a well-formed
    // property list (or are nested too deeply to be one the system writes, or hold a string or
    // key that is not UTF-8 text without NUL, which could not be written back unchanged).
    static PlistPtr parse(std::span<const uint8_t> bytes);
    // Serialises this value; an empty result means the value could not be encoded (a string or
    // key that is not UTF-8 text without NUL among them).
    std::vector<uint8_t> serialize(PlistFormat format) const;

    PlistType type() const;
    bool isNumber() const;
    bool isString() const { return type() == PlistType::String; }
    bool isDictionary() const { return type() == PlistType::Dictionary; }
    bool isArray() const { return type() == PlistType::Array; }

    // Number views. For values that are not numbers: false / nullopt / nullopt.
    bool boolValue() const;
    std::optional<double> doubleValue() const;
    // The number as a signed 64-bit integer, the fraction cut off toward zero. Values beyond the
    // range saturate (infinities included); NaN has no integer value and yields nullopt.
    std::optional<int64_t> int64Value() const;
    // The exact value of an unsigned integer above INT64_MAX; nullopt for anything else.
    std::optional<uint64_t> largeUnsignedValue() const;

    // Views of the other kinds; an empty value when this is another kind.
    const std::string& stringValue() const;
    const std::vector<uint8_t>& dataValue() const;
    std::optional<double> dateValue() const;
    const PlistArray& arrayValue() const;
    const PlistDictionary& dictionaryValue() const;

    // The value under `key` of a dictionary; nullptr for a missing key or a non-dictionary.
    PlistPtr objectForKey(std::string_view key) const;

    // A readable, multi-line rendering in the style the phone's tools print property lists.
    std::string description() const;

    // Deep equality; kinds must match (the integer 1 is not the boolean true nor the real 1.0).
    bool operator==(const PlistValue& other) const;

    // Deep equality of two possibly-null values; two nulls are equal.
    static bool equal(const PlistPtr& a, const PlistPtr& b);

  private:
    struct Integer {
        uint64_t bits;
        bool largeUnsigned;  // bits is an unsigned value above INT64_MAX
        bool operator==(const Integer&) const = default;
    };
    struct Date {
        double seconds;
        bool operator==(const Date&) const = default;
    };
    using Storage = std::variant<bool, Integer, double, std::string, std::vector<uint8_t>, Date,
                                 PlistArray, PlistDictionary>;

    template <class T>
    PlistValue(std::in_place_type_t<T> kind, T value) : storage_(kind, std::move(value)) {}
    template <class T>
    static PlistPtr make(T value) {
        return PlistPtr(new PlistValue(std::in_place_type<T>, std::move(value)));
    }

    Storage storage_;
};

}  // namespace base
