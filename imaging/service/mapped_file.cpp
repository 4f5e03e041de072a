#include "service/mapped_file.h"

#include "formats/pixel_budget.h"
#include "imaging/logging.h"
#include "service/regular_file.h"

#include <QFile>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <mutex>

namespace veltra::imaging {
namespace {

constexpr qint64 kMaxFileBytes = static_cast<qint64>(kMaxPixelBytes);
// Below this a file is read: a copy of a few hundred kilobytes costs less than a mapping's
// setting up and tearing down, which on a machine of several processors interrupts the others.
constexpr qint64 kSmallestMappedFile = 1 << 20;

// The mappings alive, for the handler of SIGBUS: a file cut short under its mapping makes the
// pages past its new end fault. Slots are claimed and freed with atomics, as a signal handler
// can only read them.
struct Slot {
    std::atomic<MappedFile*> mapping{nullptr};
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
};
constexpr std::size_t kSlots = 256;
std::array<Slot, kSlots> g_slots;
struct sigaction g_previousHandler {};

std::size_t PageSize() { return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)); }

void OnBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : g_slots) {
        MappedFile* mapping = slot.mapping.load(std::memory_order_acquire);
        if (!mapping || address < slot.begin.load() || address >= slot.end.load())
            continue;
        // Zeros where the file's page was; the load goes on and then fails.
        const std::uintptr_t page = address & ~(static_cast<std::uintptr_t>(PageSize()) - 1);
        ::mmap(reinterpret_cast<void*>(page), PageSize(), PROT_READ,
               MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        mapping->noteCutShort();
        return;
    }
    // Not one of ours: as it would have been without this handler.
    if (g_previousHandler.sa_flags & SA_SIGINFO && g_previousHandler.sa_sigaction) {
        g_previousHandler.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previousHandler.sa_handler != SIG_DFL && g_previousHandler.sa_handler != SIG_IGN &&
        g_previousHandler.sa_handler) {
        g_previousHandler.sa_handler(signal);
        return;
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void InstallHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &g_previousHandler);
    });
}

Slot* Claim(MappedFile* mapping, const char* address, std::size_t length)
{
    for (Slot& slot : g_slots) {
        MappedFile* empty = nullptr;
        if (slot.mapping.compare_exchange_strong(empty, mapping)) {
            slot.end.store(reinterpret_cast<std::uintptr_t>(address) + length);
            slot.begin.store(reinterpret_cast<std::uintptr_t>(address));
            return &slot;
        }
    }
    return nullptr;
}

void Release(const MappedFile* mapping)
{
    for (Slot& slot : g_slots) {
        if (slot.mapping.load() == mapping) {
            slot.begin.store(0);
            slot.end.store(0);
            slot.mapping.store(nullptr, std::memory_order_release);
        }
    }
}

}  // namespace

MappedFile::MappedFile(char* address, std::size_t length, qsizetype size)
    : m_address(address),
      m_length(length),
      m_size(size)
{
}

MappedFile::~MappedFile()
{
    Release(this);
    if (m_address)
        ::munmap(m_address, m_length);
}

QByteArray MappedFile::bytes() const
{
    if (!m_address)
        return m_read;
    return m_size ? QByteArray::fromRawData(m_address, m_size) : QByteArray();
}

GpStatus MappedFile::Map(const QString& filename, std::shared_ptr<const MappedFile>* mapping,
                         LoadFailureReason* reason)
{
    *reason = LoadFailureReason::ReadError;
    const QByteArray path = QFile::encodeName(filename);
    const int descriptor = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return StatusForOpenFailure(errno, reason);
    struct stat status {};
    const bool known = ::fstat(descriptor, &status) == 0;
    if (!known || !S_ISREG(status.st_mode) || status.st_size > kMaxFileBytes) {
        ::close(descriptor);
        if (!known)
            return Win32Error;
        if (!S_ISREG(status.st_mode)) {
            qCInfo(lcImaging, "%s is not a regular file; not read", path.constData());
            *reason = LoadFailureReason::NotRegularFile;
            return UnknownImageFormat;
        }
        *reason = LoadFailureReason::FileTooLarge;
        return OutOfMemory;
    }
    if (status.st_size < kSmallestMappedFile) {
        QFile file;
        if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(descriptor);
            return Win32Error;
        }
        // The file as it was when opened: bytes appended meanwhile are not read.
        QByteArray bytes = file.read(status.st_size);
        if (file.error() != QFileDevice::NoError)
            return Win32Error;
        *mapping = std::shared_ptr<const MappedFile>(new MappedFile(std::move(bytes)));
        *reason = LoadFailureReason::None;
        return Ok;
    }
    InstallHandler();
    const auto size = static_cast<std::size_t>(status.st_size);
    // One page more than the file, of zeros: the bytes always end with a zero byte, as a
    // QByteArray's own do, whatever the file's size.
    const std::size_t page = PageSize();
    const std::size_t length = (size / page + 1) * page;
    void* reserved = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (reserved == MAP_FAILED) {
        ::close(descriptor);
        *reason = LoadFailureReason::OutOfMemory;
        return OutOfMemory;
    }
    if (size &&
        ::mmap(reserved, size, PROT_READ, MAP_PRIVATE | MAP_FIXED, descriptor, 0) == MAP_FAILED) {
        ::munmap(reserved, length);
        ::close(descriptor);
        return Win32Error;
    }
    ::close(descriptor);
    auto* file = new MappedFile(static_cast<char*>(reserved), length, status.st_size);
    std::shared_ptr<const MappedFile> held(file);
    if (!Claim(file, file->m_address, size)) {
        // More files mapped at once than the handler follows: too many to map safely.
        *reason = LoadFailureReason::OutOfMemory;
        return OutOfMemory;
    }
    *mapping = std::move(held);
    *reason = LoadFailureReason::None;
    return Ok;
}

}  // namespace veltra::imaging
