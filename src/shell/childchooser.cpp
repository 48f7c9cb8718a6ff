#include "shell/childchooser.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CChildChooser::CChildChooser(const QStringList& names, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("childChooser"));
    setWindowTitle(QStringLiteral("Ollo"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(12);
    layout->setContentsMargins(24, 24, 24, 24);
    // The button the keyboard is on stands out as the drill's focused faces
    // do: a thick blue frame on a light yellow face.
    setStyleSheet(QStringLiteral("QPushButton { border: 2px solid #8c8c8c; border-radius: 10px; background: "
                                 "#f6f6f6; padding: 6px 18px; outline: none; }"
                                 "QPushButton:hover { background: #eaf1ff; }"
                                 "QPushButton:focus { border: 5px solid #1f5fbf; background: #fff3b0; }"
                                 "QPushButton:pressed { background: #d4e3ff; }"));

    auto* question = new QLabel(QStringLiteral("Wer rechnet heute?"));
    QFont questionFont = question->font();
    questionFont.setPointSizeF(questionFont.pointSizeF() * 2);
    questionFont.setBold(true);
    question->setFont(questionFont);
    question->setAlignment(Qt::AlignCenter);
    layout->addWidget(question);

    QFont buttonFont = font();
    buttonFont.setPointSizeF(buttonFont.pointSizeF() * 2.2);
    const int height = QFontMetrics(buttonFont).height() * 2;
    for (int i = 0; i < names.size(); ++i) {
        // "&" in a name is a letter, not a shortcut.
        auto* button = new QPushButton(QString(names[i]).replace(u'&', QStringLiteral("&&")));
        button->setObjectName(QStringLiteral("child%1").arg(i));
        button->setFont(buttonFont);
        button->setMinimumHeight(height);
        button->setMinimumWidth(QFontMetrics(buttonFont).averageCharWidth() * 16);
        button->setAutoDefault(true);
        button->setAccessibleName(names[i]);
        connect(button, &QPushButton::clicked, this, [this, i] {
            m_chosen = i;
            accept();
        });
        layout->addWidget(button);
        if (i == 0)
            button->setFocus();
    }
}

void CChildChooser::keyPressEvent(QKeyEvent* event) {
    // Up and down walk the buttons like Shift+Tab and Tab.
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
        focusNextPrevChild(event->key() == Qt::Key_Down);
        return;
    }
    QDialog::keyPressEvent(event);
}
