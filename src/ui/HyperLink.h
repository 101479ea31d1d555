// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A link: the address shown as underlined blue text on a transparent background with a hand
// cursor; a left click opens the address in the desktop's handler for it.
#include <QLabel>
#include <QString>
#include <QUrl>

namespace ui {

class CHyperLink : public QLabel {
    Q_OBJECT

public:
    explicit CHyperLink(QWidget* pParent = nullptr);

    // The address to open and to show; an empty one shows nothing and a click does nothing.
    void SetURL(const QString& strURL);
    const QString& strURL() const { return m_strURL; }

signals:
    // After a left click has handed the address to the desktop.
    void Clicked(QUrl url);

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;

private:
    QString m_strURL;
    bool m_bPressed = false;  // the left button went down on the link
};

}  // namespace ui
