// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_language.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>

namespace zr740::ui {

WindowLanguage::WindowLanguage(const QString& folder, const QLocale& locale)
{
    // QTranslator tries each of the locale's languages in the user's order ("de_AT", "de", "en").
    // Russian never has a file: it is the texts themselves.
    if (program_.load(locale, QStringLiteral("zr740"), QStringLiteral("_"), folder)) {
        program_installed_ = QCoreApplication::installTranslator(&program_);
        // The file says its language; one saved without it is named for it.
        QString language = program_.language();
        if (language.isEmpty())
            language = QFileInfo(program_.filePath()).completeBaseName().section(u'_', 1);
        if (program_installed_ && !language.isEmpty())
            language_ = language;
    }
    if (qt_.load(QLocale(language_), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        qt_installed_ = QCoreApplication::installTranslator(&qt_);
}

WindowLanguage::~WindowLanguage()
{
    if (qt_installed_)
        QCoreApplication::removeTranslator(&qt_);
    if (program_installed_)
        QCoreApplication::removeTranslator(&program_);
}

} // namespace zr740::ui
