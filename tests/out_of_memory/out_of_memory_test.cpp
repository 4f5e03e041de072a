// Memory refused in the middle of the work: the file fails cleanly, the others go on, and the
// window keeps its document. The refusals are injected by this program's own malloc, realloc
// and mmap (large pictures live in mappings of their own), which hand every request to the C
// library except, while armed, those of at least a given size: what a large picture or report
// would need, never what the test itself does.

#include "cli/info_command.h"
#include "document/document_test_support.h"

#include <QCoreApplication>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define VELTRA_NO_MALLOC_HOOK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELTRA_NO_MALLOC_HOOK 1
#endif
#endif

namespace {

std::atomic<std::size_t> g_refuseFrom{0};

}  // namespace

#ifndef VELTRA_NO_MALLOC_HOOK
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);

void* malloc(std::size_t size)
{
    const std::size_t refuseFrom = g_refuseFrom.load(std::memory_order_relaxed);
    if (refuseFrom != 0 && size >= refuseFrom)
        return nullptr;
    return __libc_malloc(size);
}

void* realloc(void* pointer, std::size_t size)
{
    const std::size_t refuseFrom = g_refuseFrom.load(std::memory_order_relaxed);
    if (refuseFrom != 0 && size >= refuseFrom)
        return nullptr;
    return __libc_realloc(pointer, size);
}

void* __mmap(void* address, std::size_t length, int protection, int flags, int descriptor,
             off_t offset);

void* mmap(void* address, std::size_t length, int protection, int flags, int descriptor,
           off_t offset)
{
    const std::size_t refuseFrom = g_refuseFrom.load(std::memory_order_relaxed);
    if (refuseFrom != 0 && length >= refuseFrom && (flags & MAP_ANONYMOUS)) {
        errno = ENOMEM;
        return MAP_FAILED;
    }
    return __mmap(address, length, protection, flags, descriptor, offset);
}
}
#endif

namespace veltra {
namespace {

using namespace document_test;

constexpr std::size_t kEightMebibytes = std::size_t{8} << 20;

// Refuses every allocation of at least `bytes` for as long as it lives.
class RefuseLargeAllocations {
public:
    explicit RefuseLargeAllocations(std::size_t bytes) { g_refuseFrom = bytes; }
    ~RefuseLargeAllocations() { g_refuseFrom = 0; }
};

class OutOfMemoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef VELTRA_NO_MALLOC_HOOK
        GTEST_SKIP() << "the sanitizer build keeps malloc to itself";
#endif
        small = WritePicture(dir, QStringLiteral("small.png"), SolidImage(40, 30, Qt::blue));
        // A 6 MiB comment: read and listed within 8 MiB, but its text in the report needs twice
        // that.
        QImage picture = SolidImage(40, 30, Qt::green);
        picture.setText(QStringLiteral("Comment"), QString(6 << 20, QLatin1Char('c')));
        hugeComment = WritePicture(dir, QStringLiteral("comment.png"), picture);
    }

    QTemporaryDir dir;
    QString small;
    QString hugeComment;
};

QByteArray Contents(QTemporaryFile& file)
{
    std::fflush(nullptr);
    file.seek(0);
    return file.readAll();
}

// The report of the middle file cannot be made: its failure line comes, the files before and
// after it are reported, and the status says a file failed.
TEST_F(OutOfMemoryTest, CommandLineReportsTheOthersAndFailsTheOne)
{
    QTemporaryFile out;
    QTemporaryFile err;
    ASSERT_TRUE(out.open() && err.open());
    std::FILE* outStream = fdopen(dup(out.handle()), "w");
    std::FILE* errStream = fdopen(dup(err.handle()), "w");
    cli::InfoOptions options;
    options.files = {small, hugeComment, small};
    int status = -1;
    {
        RefuseLargeAllocations refuse(kEightMebibytes);
        status = cli::RunInfoCommand(options, outStream, errStream);
    }
    std::fclose(outStream);
    std::fclose(errStream);
    EXPECT_EQ(status, cli::kExitSomeFileFailed);
    EXPECT_EQ(Contents(err).toStdString(), QStringLiteral("%1: 文件加载失败（内存不足）\n").arg(hugeComment).toStdString());
    const QString written = QString::fromUtf8(Contents(out));
    EXPECT_EQ(written.count(QStringLiteral("文件类型：png")), 2);
    EXPECT_TRUE(written.startsWith(QStringLiteral("==> %1 <==\n").arg(small)));
}

// Out of memory while painting the report: the window is told "内存不足。" once the paint is
// over, and the document keeps its picture.
TEST_F(OutOfMemoryTest, PaintingTellsTheUserAndKeepsTheDocument)
{
    FakePrompts prompts;
    CVeltraDoc doc(prompts);
    ASSERT_TRUE(doc.OnOpenDocument(hugeComment));
    {
        RefuseLargeAllocations refuse(kEightMebibytes);
        Paint(doc, QSize(200, 150));
    }
    QCoreApplication::processEvents();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("内存不足。"));
    EXPECT_NE(doc.image(), nullptr);
    QString report;
    EXPECT_TRUE(doc.GetImageInfo(report));
}

// A file that cannot even be read into memory fails its load like any undecodable file; an
// export whose canvas cannot be made fails with "保存失败".
TEST_F(OutOfMemoryTest, LoadAndExportFailCleanly)
{
    FakePrompts prompts;
    CVeltraDoc doc(prompts);
    {
        RefuseLargeAllocations refuse(std::size_t{4} << 20);
        EXPECT_TRUE(doc.OnOpenDocument(hugeComment));
    }
    EXPECT_EQ(doc.image(), nullptr);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("文件加载失败"));

    ASSERT_TRUE(doc.OnOpenDocument(
        WritePicture(dir, QStringLiteral("large.png"), SolidImage(2000, 1500, Qt::red))));
    prompts.exportReplies.push_back(dir.filePath(QStringLiteral("out.jpg")));
    {
        RefuseLargeAllocations refuse(std::size_t{4} << 20);
        doc.OnFileSaveJpeg();
    }
    EXPECT_EQ(prompts.messages.back().text, QStringLiteral("保存失败"));
    EXPECT_NE(doc.image(), nullptr);
}

}  // namespace
}  // namespace veltra
