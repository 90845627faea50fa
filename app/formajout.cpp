#include "formajout.h"

#include "net/communesearch.h"

#include <QDialogButtonBox>
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
    EditRecherche->setMaxLength(64);
    ListeCommunes = new QListWidget(this);
    ListeCommunes->setObjectName(QStringLiteral("ListeCommunes"));
    StatutAjout = new QLabel(this);
    StatutAjout->setObjectName(QStringLiteral("StatutAjout"));
    StatutAjout->setTextFormat(Qt::PlainText);
    auto *buttons = new QDialogButtonBox(this);
    BoutonAjouter = buttons->addButton(QStringLiteral("Ajouter"), QDialogButtonBox::AcceptRole);
    BoutonAnnuler = buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    BoutonAjouter->setEnabled(false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(EditRecherche);
    layout->addWidget(ListeCommunes);
    layout->addWidget(StatutAjout);
    layout->addWidget(buttons);
    resize(360, 320);

    connect(EditRecherche, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.trimmed().isEmpty()) {
            ListeCommunes->clear();
            return;
        }
        search_->search(text);
    });
    connect(search_, &CommuneSearch::found, this, [this](const QString &, const CommuneList &answer) {
        ListeCommunes->clear();
        for (const FoundCommune &c : answer.communes) {
            auto *item = new QListWidgetItem(QString::fromUtf8(c.label + " — " + c.postalCode), ListeCommunes);
            item->setData(Qt::UserRole, c.code);
            item->setData(Qt::UserRole + 1, c.name());
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
