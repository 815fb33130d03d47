// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ui_text.h"

#include <QByteArray>
#include <QCoreApplication>

namespace zr740::ui {

QString q(Text text)
{
    // The source of a literal ends with its terminating zero, which translate() needs.
    return QCoreApplication::translate(text_context, text.source().data());
}

std::string utf8(Text text)
{
    return q(text).toStdString();
}

QString q(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace zr740::ui
