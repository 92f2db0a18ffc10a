#pragma once

#include "seams/Prompts.h"

#include <QPointer>
#include <QWidget>

// The real prompts: QMessageBox, QFileDialog and the application's override cursor.
class WidgetPrompts : public Prompts
{
public:
    explicit WidgetPrompts(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    void message(const QString &text, const QString &title, Icon icon, const QString &details = {}) override;
    bool askYesNo(const QString &text, const QString &title, Icon icon, Preferred preferred) override;
    QString openFileName(const QString &filter, const QString &defaultSuffix) override;
    QString saveFileName(const QString &filter, const QString &defaultSuffix) override;
    void setBusy(bool busy) override;

private:
    QString runFileDialog(bool save, const QString &filter, const QString &defaultSuffix);

    QPointer<QWidget> m_parent;
    int m_busyDepth = 0;
};
