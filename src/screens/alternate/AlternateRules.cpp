#include "screens/alternate/AlternateRules.h"

#include "funcoes/funcoes.h"

int AlternateRules::defaultConnectionType(const QString& address) {
    const QString compact = TiraEspacos(address);
    return compact.isEmpty() || compact.toUpper() == u"LOCALHOST" ? 0 : 1;
}

int AlternateRules::connectionTypeIndex(int stored) {
    return stored == 0 || stored == 1 ? stored : -1;
}

int AlternateRules::systemIndex(const QString& storedSystem) {
    return storedSystem.toUpper() == u"WINDOWS" ? 0 : 1;
}

int AlternateRules::applicationConnectionIndex(const QString& dsLocal) {
    return Apara(dsLocal) == u"S" ? 0 : 1;
}

std::optional<int> AlternateRules::systemFromFolder(const QString& folder) {
    const QString trimmed = Apara(folder);
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed.startsWith(u'/') ? 1 : 0;
}

bool AlternateRules::isPingable(const QString& address) {
    return !EstaEmBranco(TiraEspacos(SoDigitos(address)));
}
