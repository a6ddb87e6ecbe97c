#include "platform/base/PropertyList.h"

#include <plist/plist.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>

#include "platform/base/Utf8.h"

namespace base {

namespace {

// Files the system writes are shallow; a deeper nesting is a hostile or broken file and would
// otherwise exhaust the stack of the recursive conversion.
constexpr int kMaxDepth = 256;
// libplist takes lengths as 32-bit values.
constexpr size_t kMaxBytes = std::numeric_limits<uint32_t>::max();

const std::string kEmptyString;
const std::vector<uint8_t> kEmptyData;
const PlistArray kEmptyArray;
const PlistDictionary kEmptyDictionary;

std::string truncatedAtNul(std::string text) {
    auto nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

// Owns a libplist node tree.
struct NodeDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

// ---- libplist → PlistValue ----

// libplist keeps whether an integer was read as unsigned beyond INT64_MAX but offers no accessor
// for it; its XML writer shows it (the value prints without a minus sign), so ask that writer.
bool nodeIsLargeUnsigned(plist_t node) {
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    if (!xml) return false;
    std::string_view text(xml, length);
    bool largeUnsigned = text.find("<integer>-") == std::string_view::npos;
    plist_to_xml_free(xml);
    return largeUnsigned;
}

// Text a property list can carry both ways: UTF-8, without NUL. The binary writer cannot encode
// anything else, and the C string interface would cut a string at its first NUL, so a value
// outside this would be lost or altered on the next write; it is refused on the way in and out.
bool isStorableText(std::string_view text) {
    return text.find('\0') == std::string_view::npos && isValidUtf8(text);
}

uint64_t readBigEndian(const uint8_t* p, std::size_t size) {
    uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value = (value << 8) | p[i];
    return value;
}

// Whether every string object of a binary property list is free of NUL characters. libplist
// asserts (ending the process) when a dictionary key holds one, so such a file is refused before
// libplist builds its tree. A file whose structure this scan cannot follow is refused too.
bool binaryStringsAreClean(std::span<const uint8_t> bytes) {
    // Trailer: 6 unused bytes, offset size, reference size, object count, top object, offset
    // table offset.
    constexpr std::size_t kHeader = 8, kTrailer = 32;
    if (bytes.size() < kHeader + kTrailer) return false;
    const uint8_t* trailer = bytes.data() + bytes.size() - kTrailer;
    const std::size_t offsetSize = trailer[6];
    const uint64_t objectCount = readBigEndian(trailer + 8, 8);
    const uint64_t tableOffset = readBigEndian(trailer + 24, 8);
    const std::size_t end = bytes.size() - kTrailer;
    if (offsetSize < 1 || offsetSize > 8 || tableOffset > end ||
        objectCount > (end - tableOffset) / offsetSize) {
        return false;
    }
    for (uint64_t i = 0; i < objectCount; ++i) {
        const uint64_t offset =
            readBigEndian(bytes.data() + tableOffset + i * offsetSize, offsetSize);
        if (offset < kHeader || offset >= end) return false;
        const uint8_t marker = bytes[offset];
        const unsigned kind = marker >> 4;
        if (kind != 0x5 && kind != 0x6 && kind != 0x7) continue;  // not a string
        // The length is in the marker, or in an integer object right after it.
        uint64_t length = marker & 0x0F;
        uint64_t start = offset + 1;
        if (length == 0x0F) {
            if (start >= end || (bytes[start] >> 4) != 0x1) return false;
            const std::size_t intSize = std::size_t(1) << (bytes[start] & 0x0F);
            if (intSize > 8 || end - start - 1 < intSize) return false;
            length = readBigEndian(bytes.data() + start + 1, intSize);
            start += 1 + intSize;
        }
        const uint64_t unit = kind == 0x6 ? 2 : 1;
        if (start > end || length > (end - start) / unit) return false;
        for (uint64_t k = 0; k < length; ++k) {
            const uint8_t* c = bytes.data() + start + k * unit;
            if (unit == 2 ? (c[0] == 0 && c[1] == 0) : c[0] == 0) return false;
        }
    }
    return true;
}

PlistPtr fromNode(plist_t node, int depth) {
    if (!node || depth > kMaxDepth) return nullptr;
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return PlistValue::boolean(value != 0);
        }
        case PLIST_UINT: {
            uint64_t value = 0;
            plist_get_uint_val(node, &value);
            if (value > uint64_t(std::numeric_limits<int64_t>::max()) &&
                nodeIsLargeUnsigned(node)) {
                return PlistValue::unsignedInteger(value);
            }
            return PlistValue::integer(int64_t(value));
        }
        case PLIST_UID: {
            uint64_t value = 0;
            plist_get_uid_val(node, &value);
            return PlistValue::unsignedInteger(value);
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return PlistValue::real(value);
        }
        case PLIST_STRING:
        case PLIST_KEY: {
            uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            std::string value = text ? std::string(text, length) : std::string();
            if (!isStorableText(value)) return nullptr;
            return PlistValue::string(std::move(value));
        }
        case PLIST_DATA: {
            uint64_t length = 0;
            const char* bytes = plist_get_data_ptr(node, &length);
            if (!bytes) return PlistValue::data({});
            auto* begin = reinterpret_cast<const uint8_t*>(bytes);
            return PlistValue::data(std::vector<uint8_t>(begin, begin + length));
        }
        case PLIST_DATE: {
            int32_t seconds = 0, microseconds = 0;
            plist_get_date_val(node, &seconds, &microseconds);
            return PlistValue::date(double(seconds) + double(microseconds) / 1e6);
        }
        case PLIST_ARRAY: {
            PlistArray elements;
            uint32_t count = plist_array_get_size(node);
            elements.reserve(count);
            for (uint32_t i = 0; i < count; ++i) {
                auto element = fromNode(plist_array_get_item(node, i), depth + 1);
                if (!element) return nullptr;
                elements.push_back(std::move(element));
            }
            return PlistValue::array(std::move(elements));
        }
        case PLIST_DICT: {
            PlistDictionary entries;
            plist_dict_iter iter = nullptr;
            plist_dict_new_iter(node, &iter);
            if (!iter) return nullptr;
            bool ok = true;
            for (;;) {
                char* key = nullptr;
                plist_t value = nullptr;
                plist_dict_next_item(node, iter, &key, &value);
                if (!key) break;
                std::string keyText(key);
                free(key);
                if (!isStorableText(keyText)) {
                    ok = false;
                    break;
                }
                auto converted = fromNode(value, depth + 1);
                if (!converted) {
                    ok = false;
                    break;
                }
                entries[std::move(keyText)] = std::move(converted);
            }
            free(iter);
            if (!ok) return nullptr;
            return PlistValue::dictionary(std::move(entries));
        }
        default:
            return nullptr;
    }
}

// ---- PlistValue → libplist ----

Node largeUnsignedNode(uint64_t value) {
    // plist_new_uint marks every value as signed; only the XML reader marks an unsigned one.
    std::string xml =
        "<plist version=\"1.0\"><integer>" + std::to_string(value) + "</integer></plist>";
    plist_t node = nullptr;
    plist_from_xml(xml.data(), uint32_t(xml.size()), &node);
    return Node(node);
}

Node toNode(const PlistValue& value, int depth) {
    if (depth > kMaxDepth) return nullptr;
    switch (value.type()) {
        case PlistType::Boolean:
            return Node(plist_new_bool(value.boolValue() ? 1 : 0));
        case PlistType::Integer:
            if (auto large = value.largeUnsignedValue()) return largeUnsignedNode(*large);
            // Negative values round-trip through the unsigned constructor.
            return Node(plist_new_uint(uint64_t(*value.int64Value())));
        case PlistType::Real:
            return Node(plist_new_real(*value.doubleValue()));
        case PlistType::String:
            if (!isStorableText(value.stringValue())) return nullptr;
            return Node(plist_new_string(value.stringValue().c_str()));
        case PlistType::Data: {
            const auto& bytes = value.dataValue();
            return Node(plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        }
        case PlistType::Date: {
            double seconds = *value.dateValue();
            double whole = std::floor(seconds);
            constexpr double kMin = std::numeric_limits<int32_t>::min();
            constexpr double kMax = std::numeric_limits<int32_t>::max();
            if (!(whole >= kMin && whole <= kMax)) whole = whole < kMin ? kMin : kMax;
            int32_t micro = int32_t(std::lround((seconds - whole) * 1e6));
            if (micro < 0 || micro >= 1000000) micro = 0;
            return Node(plist_new_date(int32_t(whole), micro));
        }
        case PlistType::Array: {
            Node node(plist_new_array());
            for (const auto& element : value.arrayValue()) {
                Node child = toNode(*element, depth + 1);
                if (!child) return nullptr;
                plist_array_append_item(node.get(), child.release());
            }
            return node;
        }
        case PlistType::Dictionary: {
            Node node(plist_new_dict());
            for (const auto& [key, element] : value.dictionaryValue()) {
                if (!isStorableText(key)) return nullptr;
                Node child = toNode(*element, depth + 1);
                if (!child) return nullptr;
                plist_dict_set_item(node.get(), key.c_str(), child.release());
            }
            return node;
        }
    }
    return nullptr;
}

// ---- description ----

bool needsQuotes(std::string_view text) {
    if (text.empty()) return true;
    for (unsigned char c : text) {
        if (!(std::isalnum(c) || c == '_')) return true;
    }
    return false;
}

void appendQuoted(std::string& out, std::string_view text) {
    if (!needsQuotes(text)) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    out += '"';
}

std::string formatReal(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string formatDate(double seconds) {
    constexpr double kReferenceToUnix = 978307200.0;
    double unixSeconds = std::floor(seconds + kReferenceToUnix);
    if (!(std::fabs(unixSeconds) < 1e15)) return formatReal(seconds);
    time_t t = time_t(unixSeconds);
    struct tm parts {};
    if (!gmtime_r(&t, &parts)) return formatReal(seconds);
    char buffer[64];
    strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S +0000", &parts);
    return buffer;
}

void describe(const PlistValue& value, std::string& out, int indent, bool nested) {
    const std::string pad(size_t(indent) * 4, ' ');
    const std::string innerPad(size_t(indent + 1) * 4, ' ');
    switch (value.type()) {
        case PlistType::Boolean:
            out += value.boolValue() ? "1" : "0";
            return;
        case PlistType::Integer:
            if (auto large = value.largeUnsignedValue()) {
                out += std::to_string(*large);
            } else {
                out += std::to_string(*value.int64Value());
            }
            return;
        case PlistType::Real:
            out += formatReal(*value.doubleValue());
            return;
        case PlistType::String:
            if (nested) {
                appendQuoted(out, value.stringValue());
            } else {
                out += value.stringValue();
            }
            return;
        case PlistType::Data: {
            const auto& bytes = value.dataValue();
            static const char* kHex = "0123456789abcdef";
            out += "{length = " + std::to_string(bytes.size()) + ", bytes = 0x";
            size_t shown = std::min<size_t>(bytes.size(), 32);
            for (size_t i = 0; i < shown; ++i) {
                out += kHex[bytes[i] >> 4];
                out += kHex[bytes[i] & 15];
            }
            if (shown < bytes.size()) out += "...";
            out += '}';
            return;
        }
        case PlistType::Date:
            out += formatDate(*value.dateValue());
            return;
        case PlistType::Array: {
            out += "(\n";
            const auto& elements = value.arrayValue();
            for (size_t i = 0; i < elements.size(); ++i) {
                out += innerPad;
                describe(*elements[i], out, indent + 1, true);
                if (i + 1 < elements.size()) out += ',';
                out += '\n';
            }
            out += pad + ")";
            return;
        }
        case PlistType::Dictionary:
            out += "{\n";
            for (const auto& [key, element] : value.dictionaryValue()) {
                out += innerPad;
                appendQuoted(out, key);
                out += " = ";
                describe(*element, out, indent + 1, true);
                out += ";\n";
            }
            out += pad + "}";
            return;
    }
}

bool sameReal(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

// ---- factories ----

PlistPtr PlistValue::boolean(bool value) {
    return make(value);
}

PlistPtr PlistValue::integer(int64_t value) {
    return make(Integer{uint64_t(value), false});
}

PlistPtr PlistValue::unsignedInteger(uint64_t value) {
    bool large = value > uint64_t(std::numeric_limits<int64_t>::max());
    return make(Integer{value, large});
}

PlistPtr PlistValue::real(double value) {
    return make(value);
}

PlistPtr PlistValue::string(std::string value) {
    return make<std::string>(truncatedAtNul(std::move(value)));
}

PlistPtr PlistValue::data(std::vector<uint8_t> bytes) {
    return make(std::move(bytes));
}

PlistPtr PlistValue::date(double secondsSinceReferenceDate) {
    return make(Date{secondsSinceReferenceDate});
}

PlistPtr PlistValue::array(PlistArray elements) {
    std::erase(elements, nullptr);
    return make(std::move(elements));
}

PlistPtr PlistValue::dictionary(PlistDictionary entries) {
    PlistDictionary clean;
    for (auto& [key, value] : entries) {
        if (value) clean.emplace(truncatedAtNul(key), std::move(value));
    }
    return make(std::move(clean));
}

PlistPtr PlistValue::emptyDictionary() {
    static const PlistPtr empty = make(PlistDictionary{});
    return empty;
}

// ---- parsing and serialising ----

PlistPtr PlistValue::parse(std::span<const uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > kMaxBytes) return nullptr;
    constexpr char kBinaryMagic[] = "bplist00";
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), kBinaryMagic, 8) == 0 &&
        !binaryStringsAreClean(bytes)) {
        return nullptr;
    }
    plist_t root = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(bytes.data()), uint32_t(bytes.size()), &root);
    if (!root) return nullptr;
    Node owner(root);
    return fromNode(root, 0);
}

std::vector<uint8_t> PlistValue::serialize(PlistFormat format) const {
    Node node = toNode(*this, 0);
    if (!node) return {};
    char* bytes = nullptr;
    uint32_t length = 0;
    std::vector<uint8_t> out;
    if (format == PlistFormat::XML) {
        plist_to_xml(node.get(), &bytes, &length);
        if (bytes) out.assign(bytes, bytes + length);
        plist_to_xml_free(bytes);
    } else {
        plist_to_bin(node.get(), &bytes, &length);
        if (bytes) out.assign(bytes, bytes + length);
        plist_to_bin_free(bytes);
    }
    return out;
}

// ---- accessors ----

PlistType PlistValue::type() const {
    return PlistType(storage_.index());
}

bool PlistValue::isNumber() const {
    auto t = type();
    return t == PlistType::Boolean || t == PlistType::Integer || t == PlistType::Real;
}

bool PlistValue::boolValue() const {
    if (auto* b = std::get_if<bool>(&storage_)) return *b;
    if (auto* i = std::get_if<Integer>(&storage_)) return i->bits != 0;
    if (auto* d = std::get_if<double>(&storage_)) return *d != 0.0;  // NaN is non-zero
    return false;
}

std::optional<double> PlistValue::doubleValue() const {
    if (auto* b = std::get_if<bool>(&storage_)) return *b ? 1.0 : 0.0;
    if (auto* i = std::get_if<Integer>(&storage_)) {
        return i->largeUnsigned ? double(i->bits) : double(int64_t(i->bits));
    }
    if (auto* d = std::get_if<double>(&storage_)) return *d;
    return std::nullopt;
}

std::optional<int64_t> PlistValue::int64Value() const {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    if (auto* b = std::get_if<bool>(&storage_)) return *b ? 1 : 0;
    if (auto* i = std::get_if<Integer>(&storage_)) {
        return i->largeUnsigned ? kMax : int64_t(i->bits);
    }
    if (auto* d = std::get_if<double>(&storage_)) {
        double value = *d;
        if (std::isnan(value)) return std::nullopt;
        // 2^63 is exactly representable; anything at or above it (or below -2^63) is out of
        // range, and converting it would be undefined.
        constexpr double kLimit = 9223372036854775808.0;
        if (value >= kLimit) return kMax;
        if (value < -kLimit) return kMin;
        return int64_t(value);  // truncates toward zero
    }
    return std::nullopt;
}

std::optional<uint64_t> PlistValue::largeUnsignedValue() const {
    auto* i = std::get_if<Integer>(&storage_);
    if (!i || !i->largeUnsigned) return std::nullopt;
    return i->bits;
}

const std::string& PlistValue::stringValue() const {
    auto* s = std::get_if<std::string>(&storage_);
    return s ? *s : kEmptyString;
}

const std::vector<uint8_t>& PlistValue::dataValue() const {
    auto* d = std::get_if<std::vector<uint8_t>>(&storage_);
    return d ? *d : kEmptyData;
}

std::optional<double> PlistValue::dateValue() const {
    auto* d = std::get_if<Date>(&storage_);
    if (!d) return std::nullopt;
    return d->seconds;
}

const PlistArray& PlistValue::arrayValue() const {
    auto* a = std::get_if<PlistArray>(&storage_);
    return a ? *a : kEmptyArray;
}

const PlistDictionary& PlistValue::dictionaryValue() const {
    auto* d = std::get_if<PlistDictionary>(&storage_);
    return d ? *d : kEmptyDictionary;
}

PlistPtr PlistValue::objectForKey(std::string_view key) const {
    auto* d = std::get_if<PlistDictionary>(&storage_);
    if (!d) return nullptr;
    auto it = d->find(key);
    return it == d->end() ? nullptr : it->second;
}

std::string PlistValue::description() const {
    std::string out;
    describe(*this, out, 0, false);
    return out;
}

bool PlistValue::operator==(const PlistValue& other) const {
    if (storage_.index() != other.storage_.index()) return false;
    switch (type()) {
        case PlistType::Real:
            return sameReal(std::get<double>(storage_), std::get<double>(other.storage_));
        case PlistType::Date:
            return sameReal(std::get<Date>(storage_).seconds,
                            std::get<Date>(other.storage_).seconds);
        case PlistType::Array: {
            const auto& a = arrayValue();
            const auto& b = other.arrayValue();
            if (a.size() != b.size()) return false;
            for (size_t i = 0; i < a.size(); ++i) {
                if (!equal(a[i], b[i])) return false;
            }
            return true;
        }
        case PlistType::Dictionary: {
            const auto& a = dictionaryValue();
            const auto& b = other.dictionaryValue();
            if (a.size() != b.size()) return false;
            for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
                if (ia->first != ib->first || !equal(ia->second, ib->second)) return false;
            }
            return true;
        }
        default:
            return storage_ == other.storage_;
    }
}

bool PlistValue::equal(const PlistPtr& a, const PlistPtr& b) {
    if (a == b) return true;
    if (!a || !b) return false;
    return *a == *b;
}

}  // namespace base
