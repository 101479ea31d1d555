// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/HyperLink.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPalette>

namespace ui {

namespace {

const QColor LINK_COLOUR(0, 0, 238);

}  // namespace

CHyperLink::CHyperLink(QWidget* pParent) : QLabel(pParent)
{
    // The address is shown as it is: a '<' in it must not turn it into rich text.
    setTextFormat(Qt::PlainText);
    QFont font = this->font();
    font.setUnderline(true);
    setFont(font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, LINK_COLOUR);
    palette.setColor(QPalette::Window, Qt::transparent);
    setPalette(palette);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
}

void CHyperLink::SetURL(const QString& strURL)
{
    m_strURL = strURL;
    setText(strURL);
    if (strURL.isEmpty())
        unsetCursor();
    else
        setCursor(Qt::PointingHandCursor);
}

void CHyperLink::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(pEvent);
        return;
    }
    m_bPressed = true;
    pEvent->accept();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(pEvent);
        return;
    }
    // A click is a press and a release on the link; moving off before letting go cancels it.
    const bool bClick = m_bPressed && rect().contains(pEvent->position().toPoint());
    m_bPressed = false;
    pEvent->accept();
    if (!bClick || m_strURL.isEmpty()) return;
    const QUrl url = QUrl::fromUserInput(m_strURL);
    QDesktopServices::openUrl(url);
    emit Clicked(url);
}

}  // namespace ui
