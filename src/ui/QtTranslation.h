#pragma once

#include <QString>

// Puts the texts Qt draws itself (the context menu of every field, the file
// picker, the standard buttons) in Brazilian Portuguese, whatever the machine's
// locale: the operator reads Portuguese only. Called once, after the application
// object and before the first window. Without a readable "qtbase_pt_BR.qm" in
// `folder` those texts stay in English and nothing is said: the program works
// the same. Returns whether the translation was installed.
bool installQtTranslation(const QString& folder);
