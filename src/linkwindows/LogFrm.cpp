#include "linkwindows/LogFrm.h"

#include "config/Messages.h"
#include "files/AtomicFile.h"
#include "link/ExchangeLog.h"
#include "seams/Prompts.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

namespace {

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

LogFrm::LogFrm(ExchangeLog &log, Prompts &prompts, QWidget *parent)
    : QWidget(parent, Qt::Window), m_log(log), m_prompts(prompts)
{
    setObjectName(QStringLiteral("Log_Frm"));
    setWindowTitle(Messages::exchangeLogTitle());
    setWindowModality(Qt::NonModal);

    Journal = new QPlainTextEdit(this);
    Journal->setObjectName(QStringLiteral("Journal"));
    Journal->setReadOnly(true);
    Journal->setLineWrapMode(QPlainTextEdit::NoWrap);
    Journal->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The window never holds more than the log keeps.
    Journal->setMaximumBlockCount(int(ExchangeLog::kCapacity));

    Enregistrer = makeButton(this, "Enregistrer", QStringLiteral("ENREGISTRER"));
    Effacer = makeButton(this, "Effacer", QStringLiteral("EFFACER"));
    Fermer = makeButton(this, "Fermer", QStringLiteral("FERMER"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Enregistrer);
    buttons->addWidget(Effacer);
    buttons->addWidget(Fermer);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Journal);
    layout->addLayout(buttons);
    resize(980, 420);

    connect(Enregistrer, &QPushButton::clicked, this, &LogFrm::save);
    connect(Effacer, &QPushButton::clicked, &m_log, &ExchangeLog::clear);
    connect(Fermer, &QPushButton::clicked, this, &QWidget::close);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(kRefresh);
    connect(&m_refresh, &QTimer::timeout, this, &LogFrm::showPending);
    connect(&m_log, &ExchangeLog::recorded, this, [this](const ExchangeRecord &record) {
        if (!isVisible())
            return;
        m_pending << record;
        if (!m_refresh.isActive())
            m_refresh.start();
    });
    // The scroll range grows with each line, and when a long line brings the horizontal scroll
    // bar, without a line added: the view follows every such change while it follows the end.
    QScrollBar *scroll = Journal->verticalScrollBar();
    connect(scroll, &QScrollBar::rangeChanged, this, [this, scroll](int, int maximum) {
        if (!m_following)
            return;
        m_scrollingToEnd = true;
        scroll->setValue(maximum);
        m_scrollingToEnd = false;
    });
    connect(scroll, &QScrollBar::valueChanged, this, [this, scroll](int value) {
        if (!m_scrollingToEnd)
            m_following = value >= scroll->maximum();
    });
    connect(&m_log, &ExchangeLog::cleared, this, [this] {
        m_pending.clear();
        Journal->clear();
    });
}

bool LogFrm::save()
{
    showPending(); // what is saved is what the window shows
    const QString path = m_prompts.saveFileName(QStringLiteral("Journal (*.txt)"), QStringLiteral("txt"));
    if (path.isEmpty())
        return false;
    bool written = false;
    {
        BusyPointer busy(m_prompts);
        written = AtomicFile::write(path, m_log.text().toUtf8());
    }
    if (!written)
        m_prompts.message(Messages::cannotSave(), Messages::exchangeLogTitle(), Prompts::Icon::Warning);
    return written;
}

void LogFrm::showEvent(QShowEvent *event)
{
    reload();
    QWidget::showEvent(event);
}

void LogFrm::showPending()
{
    m_refresh.stop();
    appendLines(m_pending);
    m_pending.clear();
}

void LogFrm::appendLines(const QList<ExchangeRecord> &records)
{
    if (records.isEmpty())
        return;
    QTextCursor cursor(Journal->document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat plain, red;
    red.setForeground(Qt::red);
    for (const ExchangeRecord &record : records) {
        if (!Journal->document()->isEmpty())
            cursor.insertBlock(QTextBlockFormat(), plain);
        cursor.insertText(ExchangeLog::line(record), record.failed() ? red : plain);
    }
    cursor.endEditBlock();
}

void LogFrm::reload()
{
    m_refresh.stop();
    m_pending.clear();
    Journal->clear();
    appendLines(QList<ExchangeRecord>(m_log.records().begin(), m_log.records().end()));
}
