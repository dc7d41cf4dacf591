#include "hotkeytable.h"

namespace {

QString lookUp(const QList<HotKeyTable::Entry> &table, quint32 code)
{
    for (const HotKeyTable::Entry &entry : table) {
        if (entry.code == code)
            return entry.text;
    }
    return QString();
}

QList<HotKeyTable::Entry> buildKeys()
{
    QList<HotKeyTable::Entry> keys;
    const auto add = [&keys](quint32 code, const QString &text) { keys.append({ code, text }); };
    add(32, QStringLiteral("Space"));
    add(33, QStringLiteral("PageUp"));
    add(34, QStringLiteral("PageDown"));
    add(37, QStringLiteral("LeftArrow"));
    add(38, QStringLiteral("UpArrow"));
    add(39, QStringLiteral("RightArrow"));
    add(40, QStringLiteral("DownArrow"));
    for (quint32 code = 48; code <= 57; ++code)
        add(code, QString(QChar('0' + int(code - 48))));
    for (quint32 code = 65; code <= 90; ++code)
        add(code, QString(QChar('A' + int(code - 65))));
    for (quint32 code = 96; code <= 105; ++code)
        add(code, QStringLiteral("Num %1").arg(code - 96));
    add(106, QStringLiteral("Num *"));
    add(107, QStringLiteral("Num + "));
    add(109, QStringLiteral("Num - "));
    add(110, QStringLiteral("Num ."));
    add(111, QStringLiteral("Num / "));
    for (quint32 code = 112; code <= 123; ++code)
        add(code, QStringLiteral("F%1").arg(code - 111));
    add(186, QStringLiteral("; : "));
    add(187, QStringLiteral(" = +"));
    add(189, QStringLiteral(" - _"));
    add(191, QStringLiteral(" / ? "));
    add(192, QStringLiteral("`~"));
    add(219, QStringLiteral("[{"));
    add(220, QStringLiteral("\\ | "));
    add(221, QStringLiteral("] } "));
    add(222, QStringLiteral("'\""));
    return keys;
}

} // namespace

const QList<HotKeyTable::Entry> &HotKeyTable::modifiers()
{
    static const QList<Entry> table
        = { { 16, QStringLiteral("Shift") }, { 17, QStringLiteral("Ctrl") }, { 18, QStringLiteral("Alt") } };
    return table;
}

const QList<HotKeyTable::Entry> &HotKeyTable::keys()
{
    static const QList<Entry> table = buildKeys();
    return table;
}

QString HotKeyTable::modifierText(quint32 code)
{
    return lookUp(modifiers(), code);
}

QString HotKeyTable::keyText(quint32 code)
{
    return lookUp(keys(), code);
}
