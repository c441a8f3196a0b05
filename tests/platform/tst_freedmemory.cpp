// A long text's block goes back to the system once freed: it must have pages of its own.
#include <QtTest>

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "platform/FreedMemory.h"

class TestFreedMemory : public QObject {
    Q_OBJECT
private slots:
    void longBlocksAreMappedAfterOneWasFreed();
};

void TestFreedMemory::longBlocksAreMappedAfterOneWasFreed()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer brings its own heap, which glibc's settings do not reach");
#elif defined(__GLIBC__)
    platform::returnLongTextsWhenFreed();
    constexpr size_t kLong = size_t(4) << 20;
    // Left to itself, glibc raises its limit to the size of a mapped block freed, and
    // serves the next ones below it from the heap, where they stay resident once freed.
    // Through a volatile pointer, or the compiler leaves the unused blocks out.
    void* volatile block = std::malloc(2 * kLong);
    std::free(block);
    const size_t mappedBefore = mallinfo2().hblkhd;
    block = std::malloc(kLong);
    QVERIFY(block);
    const size_t mapped = mallinfo2().hblkhd - mappedBefore;
    std::free(block);
    QVERIFY(mapped >= kLong);
#else
    QSKIP("the heap of this C library hands long blocks back by itself");
#endif
}

QTEST_GUILESS_MAIN(TestFreedMemory)
#include "tst_freedmemory.moc"
