// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The language of the window. The program speaks Russian, the language its texts are written in;
// another language is used when the user's locale asks for it and the program has a translation
// for it: `translations/zr740_<language>.qm` in the folder of the program's data. Qt's own texts
// (the standard buttons of the message boxes, the file dialogs) follow the same language, so that
// a Russian window does not show "Yes" and "No" on an English desktop.

#include <QString>
#include <QTranslator>

class QLocale;

namespace zr740::ui {

class WindowLanguage {
  public:
    // Installs the translations for `locale` found in `folder` (the translations folder). They stay
    // installed as long as this object lives.
    WindowLanguage(const QString& folder, const QLocale& locale);
    ~WindowLanguage();
    WindowLanguage(const WindowLanguage&) = delete;
    WindowLanguage& operator=(const WindowLanguage&) = delete;

    // The language the window speaks: "ru", or that of the translation installed ("en", "de_AT").
    QString language() const { return language_; }
    // Whether Qt's own texts could be had in that language.
    bool qt_texts_translated() const { return qt_installed_; }

  private:
    QTranslator program_;
    QTranslator qt_;
    bool program_installed_ = false;
    bool qt_installed_ = false;
    QString language_ = QStringLiteral("ru");
};

} // namespace zr740::ui
