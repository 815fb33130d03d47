// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts the window shows to people. Each is written in Russian, the program's own language,
// inside QT_TRANSLATE_NOOP("zr740", ...) so that lupdate collects it into translations/zr740.ts; q()
// turns it into a QString through the translation installed for the user's language, if any.
// Texts of the layers below the window (the engine's and the device's messages, attribute and
// variant names) are plain UTF-8 and are shown as they are.

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <string>
#include <string_view>

namespace zr740::ui {

// The translation context of every window text: one, so that a text used in several windows is
// translated once.
inline constexpr char text_context[] = "zr740";

// A window text: only a string literal makes one, so a translatable text cannot be built at run
// time by mistake (lupdate would never see it).
class Text {
  public:
    template <std::size_t N> consteval Text(const char (&source)[N]) : source_(source, N - 1) {}
    constexpr std::string_view source() const { return source_; }

  private:
    std::string_view source_;
};

// The text in the user's language (the Russian source when no translation has it).
QString q(Text text);
// The same as UTF-8, for the shell's messages and the core's placeholders.
std::string utf8(Text text);
// A UTF-8 string from the layers below (names, values, messages) as it is.
QString q(std::string_view text);
inline QString q(const std::string& text)
{
    return q(std::string_view(text));
}

} // namespace zr740::ui
