// SPDX-License-Identifier: GPL-2.0-or-later
// Keeps the window's session properties ("Edit1.Text;Top;Left") in an ini file between runs: restored
// before the window is first shown, saved when it closes, each found by its property name.
#pragma once
#include <QObject>
#include <QString>

namespace meteo {

class IniPropStorage : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString IniFileName READ IniFileName WRITE setIniFileName)
public:
    explicit IniPropStorage(QObject *parent = nullptr) : QObject(parent) {}
    QString IniFileName() const { return fileName_; }
    void setIniFileName(const QString &name) { fileName_ = name; }

    // The window whose "SessionProperties" are kept: the nearest ancestor that is a window.
    QObject *form() const;
    // Sets every listed property the file holds; absent or unusable values leave the property as is.
    void Restore();
    // Writes every listed property; the file is replaced atomically. Throws Error naming the file.
    void Save();

private:
    QString fileName_ = QStringLiteral("meteo.ini");
};

} // namespace meteo
