// A print format directive that a device sent: untrusted text, so only one narrow
// printf form is accepted and the formatter only ever sees a string built from the
// checked pieces, with an argument of the kind its conversion letter takes.
//
// Accepted: "%", an optional "-", a width of up to 2 digits, an optional "." with a
// precision of up to 2 digits, and one letter of d u x s e f g:
//   %d  %-5u  %04x  %.3f  %6.2e  %g  %-8s  %.f
// Rejected (the text is empty): %n %*d %lld %+d %%d %999d %5.2 %d% and anything longer.
// A leading 0 of the width pads with zeros, as printf reads it. %x prints upper case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaline {

class FormatDirective {
public:
    // nullopt unless directive is exactly one accepted directive.
    static std::optional<FormatDirective> Parse(std::string_view directive);

    // Each gives the empty text when the conversion letter takes another kind of
    // argument. d formats as signed, u and x as the unsigned 32-bit pattern.
    std::string Format(std::int32_t value) const;
    std::string Format(double value) const;
    std::string Format(const std::string& value) const;

    // Longest text a directive gives; a longer text (a %s of a long value) is cut.
    static constexpr std::size_t kMaxText = 255;

private:
    explicit FormatDirective(std::string printfForm) : printfForm_(std::move(printfForm)) {}
    char Conversion() const { return printfForm_.back(); }
    template <typename Argument>
    std::string Print(Argument argument) const;

    std::string printfForm_;
};

}  // namespace tessaline
