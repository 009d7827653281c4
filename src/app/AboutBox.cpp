#include "AboutBox.h"

#include "AppIdentity.h"
#include "kit/Button.h"
#include "kit/Theme.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace brevant {

AboutBox::AboutBox(const QString& version, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("About Kelvask Brevant"));
    setAccessibleName(windowTitle());
    // Wide enough for the licences' 80-column lines.
    resize(600, 420);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 16);
    column->setSpacing(8);

    auto* name = new QLabel(QStringLiteral("Kelvask Brevant"), this);
    name->setFont(Theme::font(16, QFont::Bold));
    column->addWidget(name, 0, Qt::AlignHCenter);
    auto* versionLabel = new QLabel(QStringLiteral("Version ") + version, this);
    versionLabel->setObjectName(QStringLiteral("aboutVersion"));
    versionLabel->setFont(Theme::font(11));
    column->addWidget(versionLabel, 0, Qt::AlignHCenter);
    auto* blurb = new QLabel(QStringLiteral("Control panel for the local web-development stack.\n"
                                            "Released under the MIT licence; the icons and fonts it uses\n"
                                            "under their own:"),
                             this);
    blurb->setFont(Theme::font(11));
    blurb->setAlignment(Qt::AlignHCenter);
    column->addWidget(blurb);

    auto* text = new QPlainTextEdit(licences(), this);
    text->setObjectName(QStringLiteral("aboutLicences"));
    text->setAccessibleName(QStringLiteral("Licences"));
    text->setReadOnly(true);
    text->setFont(Theme::font(10, QFont::Normal, Theme::Design::Monospaced));
    column->addWidget(text, 1);

    auto* close = Button::compact(QStringLiteral("Close"), Button::Style::Prominent, 13, 28, this);
    close->setObjectName(QStringLiteral("aboutClose"));
    close->setFocus(); // Return closes at once; Escape does anyway
    connect(close, &Button::clicked, this, &QDialog::reject);
    column->addWidget(close, 0, Qt::AlignRight);
}

QString AboutBox::licences() {
    QString all = QStringLiteral("== Kelvask Brevant ==\n\n") + identity::licence() + QStringLiteral("\n\n");
    const QDir dir(QStringLiteral(":/brevant/licences"));
    for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(file));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        QString package = file;
        package.chop(4); // ".txt"
        all += QStringLiteral("== %1 ==\n\n").arg(package) + QString::fromUtf8(f.readAll()) +
               QStringLiteral("\n\n");
    }
    return all;
}

} // namespace brevant
