#include "ui/WidgetPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon boxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Warning:
        return QMessageBox::Warning;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void WidgetPrompts::message(const QString &text, const QString &title, Icon icon, const QString &details)
{
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Ok, m_parent);
    if (!details.isEmpty())
        box.setDetailedText(details);
    // The hourglass must not hide the arrow the installer needs to press OK.
    const bool busy = m_busyDepth > 0;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
}

bool WidgetPrompts::askYesNo(const QString &text, const QString &title, Icon icon, Preferred preferred)
{
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    const QMessageBox::StandardButton safe = preferred == Preferred::No ? QMessageBox::No : QMessageBox::Yes;
    box.setDefaultButton(safe);
    // Without this, Qt takes Escape and the close box for No whatever the question.
    box.setEscapeButton(box.button(safe));
    return box.exec() == QMessageBox::Yes;
}

QString WidgetPrompts::runFileDialog(bool save, const QString &filter, const QString &defaultSuffix)
{
    QFileDialog dialog(m_parent);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString WidgetPrompts::openFileName(const QString &filter, const QString &defaultSuffix)
{
    return runFileDialog(false, filter, defaultSuffix);
}

QString WidgetPrompts::saveFileName(const QString &filter, const QString &defaultSuffix)
{
    return runFileDialog(true, filter, defaultSuffix);
}

void WidgetPrompts::setBusy(bool busy)
{
    if (busy) {
        ++m_busyDepth;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0) {
        --m_busyDepth;
        QApplication::restoreOverrideCursor();
    }
}
