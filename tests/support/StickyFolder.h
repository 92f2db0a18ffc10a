#pragma once

#include <QString>
#include <QThread>

#include <utility>

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

// A file that a writer may rewrite and create a file beside, but not replace by renaming another
// file over it: the file and its folder belong to another user, and the folder has the sticky bit
// (as /tmp has), so only their owner may rename over the file. This is how a save fails at its very
// last step, the rename of the complete new file onto the old one.
//
// Root passes the sticky bit by its owner override (CAP_FOWNER): the code under test runs without
// it, through WithoutOwnerOverride in the test's own thread or runWithoutOwnerOverride for the
// programs a test starts. Only root can give a file to another user: elsewhere unavailable() says
// why the case cannot be set up.
namespace StickyFolder {

#ifdef Q_OS_LINUX
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
#endif

inline QString unavailable()
{
#ifdef Q_OS_LINUX
    return ::geteuid() == 0 ? QString() : QStringLiteral("only root can give a file to another user");
#else
    return QStringLiteral("the sticky bit and the owner override are those of Linux");
#endif
}

// Gives `folder` and `file` in it to another user, the folder with the sticky bit and open to all,
// the file writable by all; false when the system refused.
inline bool protectFromReplacing([[maybe_unused]] const QString &folder, [[maybe_unused]] const QString &file)
{
#ifdef Q_OS_LINUX
    const QByteArray dir = folder.toLocal8Bit(), target = file.toLocal8Bit();
    return ::chown(dir.constData(), kNobody, kNoGroup) == 0 && ::chmod(dir.constData(), 01777) == 0 &&
           ::chown(target.constData(), kNobody, kNoGroup) == 0 && ::chmod(target.constData(), 0666) == 0;
#else
    return false;
#endif
}

#ifdef Q_OS_LINUX
namespace Detail {
struct Capabilities
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
};
inline bool get(Capabilities &caps) { return ::syscall(SYS_capget, &caps.header, caps.data) == 0; }
inline bool set(Capabilities &caps) { return ::syscall(SYS_capset, &caps.header, caps.data) == 0; }
constexpr __u32 kOwnerOverride = 1u << CAP_FOWNER; // in the first word
} // namespace Detail
#endif

// While it lives, the calling thread (only that one) works without the owner override; ok() says
// whether it could be dropped.
class WithoutOwnerOverride
{
public:
    WithoutOwnerOverride()
    {
#ifdef Q_OS_LINUX
        if (!Detail::get(m_saved))
            return;
        Detail::Capabilities reduced = m_saved;
        reduced.data[0].effective &= ~Detail::kOwnerOverride;
        m_ok = Detail::set(reduced);
#endif
    }
    ~WithoutOwnerOverride()
    {
#ifdef Q_OS_LINUX
        if (m_ok)
            Detail::set(m_saved);
#endif
    }
    WithoutOwnerOverride(const WithoutOwnerOverride &) = delete;
    WithoutOwnerOverride &operator=(const WithoutOwnerOverride &) = delete;
    bool ok() const { return m_ok; }

private:
#ifdef Q_OS_LINUX
    Detail::Capabilities m_saved;
#endif
    bool m_ok = false;
};

// Runs `work` in a thread of its own that has lost the owner override for good, with the
// programs it starts: a program started as root regains every capability its thread may still pass
// on. The thread ends with `work`. False when the override could not be dropped (then `work` did
// not run).
template <typename Work>
bool runWithoutOwnerOverride([[maybe_unused]] Work &&work)
{
#ifdef Q_OS_LINUX
    bool dropped = false;
    QThread *thread = QThread::create([&] {
        Detail::Capabilities caps;
        dropped = ::prctl(PR_CAPBSET_DROP, CAP_FOWNER, 0, 0, 0) == 0 && Detail::get(caps);
        caps.data[0].effective &= ~Detail::kOwnerOverride;
        caps.data[0].permitted &= ~Detail::kOwnerOverride;
        caps.data[0].inheritable &= ~Detail::kOwnerOverride;
        dropped = dropped && Detail::set(caps);
        if (dropped)
            std::forward<Work>(work)();
    });
    thread->start();
    thread->wait();
    delete thread;
    return dropped;
#else
    return false;
#endif
}

} // namespace StickyFolder
