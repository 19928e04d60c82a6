#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace dalvon {

// The kinds a value may have, as the classic runtime knows them.
enum class VariantKind {
    Empty,
    Null,
    Boolean,
    Byte,
    Integer,  // 16-bit
    Long,     // 32-bit
    Single,
    Double,
    Currency,  // fixed point, 4 decimals
    Date,      // OLE automation date: days since 1899-12-30, fraction = time of day
    String,
    Binary,
};

// A database field value or profile value that may be Empty, Null, a number, a text, a date,
// a true/false or binary data, and whose kind can be asked.
class Variant {
public:
    struct Currency {
        int64_t scaled;  // value times 10000
        bool operator==(const Currency&) const = default;
    };
    struct Date {
        double oleDays;
        bool operator==(const Date&) const = default;
    };

    Variant() = default;  // Empty
    static Variant null();
    static Variant boolean(bool value);
    static Variant byte(uint8_t value);
    static Variant integer(int16_t value);
    static Variant longValue(int32_t value);
    static Variant single(float value);
    static Variant doubleValue(double value);
    static Variant currency(int64_t scaledBy10000);
    static Variant date(double oleDays);
    static Variant string(std::string utf8);
    static Variant binary(std::vector<uint8_t> bytes);

    VariantKind kind() const;
    // The kind's name with TypeName semantics: "Empty", "Null", "Boolean", "Byte", "Integer",
    // "Long", "Single", "Double", "Currency", "Date", "String", "Byte()".
    std::string typeName() const;

    bool isEmpty() const { return kind() == VariantKind::Empty; }
    bool isNull() const { return kind() == VariantKind::Null; }
    bool isString() const { return kind() == VariantKind::String; }
    bool isNumeric() const;  // Boolean, Byte, Integer, Long, Single, Double, Currency

    // Direct access; each throws Fault 13 when the kind differs.
    bool asBoolean() const;
    const std::string& asString() const;
    const std::vector<uint8_t>& asBinary() const;
    Currency asCurrency() const;
    Date asDate() const;

    // Conversions in the manner of CStr, CDbl, CLng, CInt, CBool. Null throws Fault 94,
    // a text that is no number throws Fault 13, a value that does not fit throws Fault 6.
    // toText uses the invariant form: decimal point, no group separators, dates as
    // "yyyy-mm-dd hh:mm:ss" (time part left out at midnight), true/false as "True"/"False".
    std::string toText() const;
    double toDouble() const;
    int32_t toLong() const;     // rounds half to even, like CLng
    int16_t toInteger() const;  // rounds half to even, like CInt
    bool toBoolean() const;

    // The text form, with Empty and Null giving the empty text (where a Null contributes
    // nothing, as in string concatenation).
    std::string toTextOrEmpty() const;

    bool operator==(const Variant& other) const = default;

private:
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    using Storage = std::variant<std::monostate, NullTag, bool, uint8_t, int16_t, int32_t, float,
                                 double, Currency, Date, std::string, std::vector<uint8_t>>;
    explicit Variant(Storage value) : m_value(std::move(value)) {}
    Storage m_value;
};

// Parses a decimal number in the invariant form ("  -12.5e3 "); false when it is none.
bool parseInvariantNumber(const std::string& text, double& out);

// Formats a double the way the classic runtime's invariant CStr does: up to 15 significant
// digits, no trailing zeros, exponent form "1E+20" for very large or small values.
std::string formatInvariantDouble(double value, int significantDigits = 15);

}  // namespace dalvon
