#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace {
std::unique_ptr<QTranslator> g_program;
std::unique_ptr<QTranslator> g_qt;
} // namespace

void RemoveTranslations()
{
    for (auto *t : {&g_program, &g_qt}) {
        if (*t)
            QCoreApplication::removeTranslator(t->get());
        t->reset();
    }
}

bool InstallTranslations(const QLocale &locale)
{
    RemoveTranslations();
    // Only the languages the program speaks: any other locale keeps the
    // English words rather than a mix of English and Qt's own translation.
    if (locale.language() != QLocale::Japanese)
        return false;
    auto program = std::make_unique<QTranslator>();
    if (!program->load(QStringLiteral(":/i18n/tovarek-w_ja.qm")))
        return false;
    QCoreApplication::installTranslator(program.get());
    g_program = std::move(program);
    // Qt's own words (the file dialogs, the message boxes' buttons) when the
    // system has them.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        g_qt = std::move(qt);
    }
    return true;
}
