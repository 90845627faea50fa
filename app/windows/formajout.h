// SPDX-License-Identifier: GPL-2.0-or-later
// The "Ajouter une ville" dialog: the user types a name or a postal code, the communes the service
// knows are listed as they type, and the chosen one is handed to the main window.
#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace meteo {

class CommuneSearch;

// The longest start of `text` that takes at most 64 bytes of UTF-8, as the service counts.
QString atMost64Bytes(const QString &text);

class FormAjout : public QDialog {
    Q_OBJECT
public:
    FormAjout(const QByteArray &serviceHost, QWidget *parent);

    QLineEdit *EditRecherche;
    QListWidget *ListeCommunes;
    QLabel *StatutAjout;
    QPushButton *BoutonAjouter, *BoutonAnnuler;

Q_SIGNALS:
    // name "Saint-Denis", label "Saint-Denis (93)", code "FR93066"
    void communeChosen(const QByteArray &name, const QByteArray &label, const QByteArray &code);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void choose();
    CommuneSearch *search_;
};

} // namespace meteo
