// SPDX-License-Identifier: GPL-2.0-or-later
#include "inipropstorage.h"

#include "atomicfile.h"
#include "common/error.h"

#include <QFile>
#include <QMetaProperty>
#include <QSettings>
#include <QFileInfo>
#include <QTemporaryFile>

namespace meteo {
namespace {

struct Target {
    QObject *object = nullptr;
    QMetaProperty property;
};

// "Edit1.Text" names the property Text of the component Edit1, "Top" a property of the window;
// property names match without regard to letter case, as the window description writes them.
Target resolve(QObject *form, const QString &entry)
{
    const qsizetype dot = entry.indexOf(u'.');
    QObject *object = dot < 0 ? form : form->findChild<QObject *>(entry.left(dot));
    const QString name = dot < 0 ? entry : entry.mid(dot + 1);
    if (!object)
        return {};
    const QMetaObject *meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i)
        if (QString::fromLatin1(meta->property(i).name()).compare(name, Qt::CaseInsensitive) == 0)
            return {object, meta->property(i)};
    return {};
}

QStringList sessionProperties(QObject *form)
{
    return form->property("SessionProperties").toString().split(u';', Qt::SkipEmptyParts);
}

const QString section = QStringLiteral("Form1/");

} // namespace

QObject *IniPropStorage::form() const
{
    // The window the storage belongs to: the top of its parents.
    QObject *o = parent();
    while (o && o->parent())
        o = o->parent();
    return o;
}

void IniPropStorage::Restore()
{
    QObject *window = form();
    if (!window || !QFile::exists(fileName_))
        return;
    QSettings ini(fileName_, QSettings::IniFormat);
    for (const QString &entry : sessionProperties(window)) {
        const QVariant stored = ini.value(section + entry);
        const Target target = resolve(window, entry);
        if (!stored.isValid() || !target.object)
            continue;
        if (target.property.metaType().id() == QMetaType::Int) {
            bool ok = false;
            const int number = stored.toString().toInt(&ok);
            if (ok)
                target.property.write(target.object, number);
        } else {
            target.property.write(target.object, stored);
        }
    }
}

void IniPropStorage::Save()
{
    QObject *window = form();
    if (!window)
        return;
    // QSettings composes the text (it knows the escaping) in a scratch file beside meteo.ini, never
    // in a temporary folder that may be missing or elsewhere; the text is read back and checked
    // before it replaces meteo.ini whole: neither a crash nor a full disk leaves it torn.
    const auto fail = [this](const QString &cause) {
        throw Error(fileName_ + QStringLiteral(": écriture impossible (") + cause + u')');
    };
    QTemporaryFile scratch(QFileInfo(fileName_).absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!scratch.open())
        fail(scratch.errorString());
    scratch.close();
    QVariantMap values;
    for (const QString &entry : sessionProperties(window))
        if (const Target target = resolve(window, entry); target.object)
            values.insert(section + entry, target.property.read(target.object));
    {
        QSettings ini(scratch.fileName(), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            ini.setValue(it.key(), it.value());
        ini.sync();
        if (ini.status() != QSettings::NoError)
            fail(QStringLiteral("QSettings a échoué"));
    }
    const QSettings check(scratch.fileName(), QSettings::IniFormat);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (check.value(it.key()).toString() != it.value().toString())
            fail(QStringLiteral("relecture de ") + it.key());
    QFile composed(scratch.fileName());  // QSettings replaced the scratch file: read it by its name
    if (!composed.open(QIODevice::ReadOnly))
        fail(composed.errorString());
    writeFileAtomically(fileName_, composed.readAll());
}

} // namespace meteo
