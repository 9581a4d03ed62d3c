#pragma once

#include <QLocale>
#include <QString>
#include <memory>

class QTranslator;

namespace kv {

// Installs the translation of the plug-in's texts for locale: the first of
// kestrovan_<locale>.qm (kestrovan_de_CH.qm, then kestrovan_de.qm, ...) found
// in folder or in its "translations" subfolder. Answers the installed
// translator, which stays installed until it is destroyed, or null when there
// is no such file (or no application yet): the windows then stay in English.
std::unique_ptr<QTranslator> installTranslation(const QString &folder, const QLocale &locale = QLocale());

// The folder of the file this code was loaded from: the plug-in module, or
// the program that links it in.
QString moduleFolder();

} // namespace kv
