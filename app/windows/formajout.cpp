// SPDX-License-Identifier: GPL-2.0-or-later
#include "formajout.h"

#include "net/communesearch.h"

#include <QDialogButtonBox>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace meteo {

FormAjout::FormAjout(const QByteArray &serviceHost, QWidget *parent)
    : QDialog(parent), search_(new CommuneSearch(serviceHost, this))
{
    setObjectName(QStringLiteral("FormAjout"));
    setWindowTitle(QStringLiteral("Ajouter une ville"));
    EditRecherche = new QLineEdit(this);
    EditRecherche->setObjectName(QStringLiteral("EditRecherche"));
    EditRecherche->setPlaceholderText(QStringLiteral("Nom de la commune ou code postal"));
    EditRecherche->setAccessibleName(QStringLiteral("Nom de la commune ou code postal"));
    EditRecherche->installEventFilter(this);
    ListeCommunes = new QListWidget(this);
    ListeCommunes->setObjectName(QStringLiteral("ListeCommunes"));
    ListeCommunes->setAccessibleName(QStringLiteral("Communes trouvées"));
    StatutAjout = new QLabel(this);
    StatutAjout->setObjectName(QStringLiteral("StatutAjout"));
    StatutAjout->setTextFormat(Qt::PlainText);
    auto *buttons = new QDialogButtonBox(this);
    BoutonAjouter = buttons->addButton(QStringLiteral("Ajouter"), QDialogButtonBox::AcceptRole);
    BoutonAnnuler = buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    BoutonAjouter->setEnabled(false);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("&Commune ou code postal :"), this);
    label->setBuddy(EditRecherche);
    layout->addWidget(label);
    layout->addWidget(EditRecherche);
    layout->addWidget(ListeCommunes);
    layout->addWidget(StatutAjout);
    layout->addWidget(buttons);
    resize(360, 320);

    connect(EditRecherche, &QLineEdit::textChanged, this, [this](const QString &text) {
        // The service takes 64 bytes of UTF-8: the field stops there, whole characters only.
        if (const QString kept = atMost64Bytes(text); kept != text) {
            EditRecherche->setText(kept);
            return;
        }
        ListeCommunes->clear();
        StatutAjout->clear();
        if (text.trimmed().isEmpty())
            search_->cancel();
        else
            search_->search(text);
    });
    connect(search_, &CommuneSearch::found, this, [this](const QString &text, const CommuneList &answer) {
        if (text != EditRecherche->text())
            return;  // an answer for a text no longer in the field
        ListeCommunes->clear();
        QHash<QByteArray, int> names;
        for (const FoundCommune &c : answer.communes)
            ++names[c.name()];
        for (const FoundCommune &c : answer.communes) {
            auto *item = new QListWidgetItem(QString::fromUtf8(c.label + " — " + c.postalCode), ListeCommunes);
            item->setData(Qt::UserRole, c.code);
            // Several communes of one name in the answer: the one added carries its department.
            item->setData(Qt::UserRole + 1, names.value(c.name()) > 1 ? c.label : c.name());
            item->setData(Qt::UserRole + 2, c.label);
        }
        QStringList status;
        if (answer.communes.isEmpty())
            status << QStringLiteral("Aucune commune trouvée");
        if (answer.ignored > 0)  // names or codes that could not become a line of the city list
            status << (answer.ignored == 1 ? QStringLiteral("1 réponse du service ignorée (nom ou code illisible)")
                                           : QStringLiteral("%1 réponses du service ignorées (nom ou code illisible)").arg(answer.ignored));
        StatutAjout->setText(status.join(QStringLiteral(" — ")));
    });
    connect(search_, &CommuneSearch::failed, StatutAjout, &QLabel::setText);
    connect(ListeCommunes, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem *current) { BoutonAjouter->setEnabled(current != nullptr); });
    connect(ListeCommunes, &QListWidget::itemActivated, this, &FormAjout::choose);
    connect(buttons, &QDialogButtonBox::accepted, this, &FormAjout::choose);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

// Enter adds the selected commune, else the first found; Down goes into the list.
bool FormAjout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != EditRecherche || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && ListeCommunes->count() > 0) {
        if (!ListeCommunes->currentItem())
            ListeCommunes->setCurrentRow(0);
        choose();
        return true;
    }
    if (key == Qt::Key_Down && ListeCommunes->count() > 0) {
        ListeCommunes->setFocus();
        if (!ListeCommunes->currentItem())
            ListeCommunes->setCurrentRow(0);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

QString atMost64Bytes(const QString &text)
{
    QString kept = text;
    while (kept.toUtf8().size() > 64)
        kept.chop(kept.size() >= 2 && kept.back().isLowSurrogate() ? 2 : 1);
    return kept;
}

void FormAjout::choose()
{
    const QListWidgetItem *item = ListeCommunes->currentItem();
    if (!item)
        return;
    Q_EMIT communeChosen(item->data(Qt::UserRole + 1).toByteArray(), item->data(Qt::UserRole + 2).toByteArray(),
                         item->data(Qt::UserRole).toByteArray());
    accept();
}

} // namespace meteo
