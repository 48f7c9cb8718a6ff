#include "shell/bitmapokdlg.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include "kit/bitmapbutton.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/showhelp.h"

#include "ui_bitmapokdlg160.h"

CBitmapOkDlg::CBitmapOkDlg(int templateId, QWidget* parent)
    : QDialog(parent)
    , m_templateId(templateId)
    , m_ui(std::make_unique<Ui::CBitmapOkDlg>()) {
    // Template 160 is the only one the program has.
    m_ui->setupUi(this);
    // The template's width cuts its own title in a window frame ("Fragen
    // un…Probleme ?"): wide enough for it, with room for the frame's icon and
    // buttons, the contents kept in the middle.
    QFont titleFont = QGuiApplication::font();
    titleFont.setBold(true);
    const QFontMetrics title(titleFont);
    const int needed = title.horizontalAdvance(windowTitle()) + 6 * title.height();
    if (needed > width()) {
        const int shift = (needed - width()) / 2;
        for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            child->move(child->pos() + QPoint(shift, 0));
        setFixedSize(needed, height());
    }
    m_ui->button1->AttachByCaption();
    m_ui->button1->setFocus();
    connect(m_ui->button1, &QPushButton::clicked, this, [this] { done(1); });
    AddHelpKey(this, Help::forCommand(Cmd::Contact));
}

CBitmapOkDlg::~CBitmapOkDlg() = default;

void CBitmapOkDlg::reject() {
    done(2);
}
