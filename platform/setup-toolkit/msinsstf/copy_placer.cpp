// Puts written copies in place while the next file is being written. Under
// Wine, renaming a copy to a name not yet in the destination directory reads
// the whole directory (names are matched without regard to case), and with
// many files that costs as much as writing their data: on a second processor
// the two overlap. Copies are placed one at a time, in the order they were
// written, so the destination fills as it would with one thread; after a
// failure the rest are discarded, never placed.
#include "internal.h"

#include <deque>
#include <utility>
#include <new>

namespace {

struct Job {
    HANDLE written;
    std::string temporary;
    std::string final;
    CopyJournal* journal;
    const CopyItem* item;
};

} // namespace

struct CopyPlacer {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    std::deque<Job> jobs;
    size_t waiting = 0;       // handed over and not yet placed or discarded
    bool stopping = false;
    DWORD error = 0;          // the first placing error
    std::string failed;       // its final name
    HANDLE thread = NULL;     // NULL: placed at once, on the caller's thread
};

namespace {

void NoteResult(CopyPlacer* placer, const std::string& final, DWORD error)
{
    AcquireSRWLockExclusive(&placer->lock);
    if (error != 0 && placer->error == 0) {
        placer->error = error;
        try {
            placer->failed = final;
        } catch (const std::bad_alloc&) {
            // The error is still told, without the name.
        }
    }
    --placer->waiting;
    ReleaseSRWLockExclusive(&placer->lock);
    WakeAllConditionVariable(&placer->changed);
}

void PlaceOrDiscard(CopyPlacer* placer, const Job& job)
{
    HANDLE written = job.written;
    const std::string& temporary = job.temporary;
    const std::string& final = job.final;
    AcquireSRWLockShared(&placer->lock);
    bool failedBefore = placer->error != 0;
    ReleaseSRWLockShared(&placer->lock);
    if (failedBefore) {
        DiscardWrittenTemporary(written, temporary);
        NoteResult(placer, final, 0);
    } else {
        NoteResult(placer, final, PlaceTemporary(written, temporary, final, job.journal, *job.item));
    }
}

DWORD WINAPI PlacerThread(void* parameter)
{
    CopyPlacer* placer = static_cast<CopyPlacer*>(parameter);
    AcquireSRWLockExclusive(&placer->lock);
    for (;;) {
        while (placer->jobs.empty() && !placer->stopping)
            SleepConditionVariableSRW(&placer->changed, &placer->lock, INFINITE, 0);
        if (placer->jobs.empty())
            break;
        Job job = std::move(placer->jobs.front());
        placer->jobs.pop_front();
        ReleaseSRWLockExclusive(&placer->lock);
        PlaceOrDiscard(placer, job);
        AcquireSRWLockExclusive(&placer->lock);
    }
    ReleaseSRWLockExclusive(&placer->lock);
    return 0;
}

} // namespace

CopyPlacer* StartCopyPlacer()
{
    CopyPlacer* placer = new CopyPlacer;
    placer->thread = CreateThread(NULL, 0, PlacerThread, placer, 0, NULL);
    return placer;
}

void PlaceLater(CopyPlacer* placer, HANDLE written, const std::string& temporary, const std::string& final,
                CopyJournal* journal, const CopyItem* item)
{
    bool queued = false;
    AcquireSRWLockExclusive(&placer->lock);
    ++placer->waiting;
    if (placer->thread != NULL) {
        try {
            placer->jobs.push_back(Job{ written, temporary, final, journal, item });
            queued = true;
        } catch (const std::bad_alloc&) {
        }
    }
    ReleaseSRWLockExclusive(&placer->lock);
    if (queued) {
        WakeAllConditionVariable(&placer->changed);
        return;
    }
    // Without the thread, or the memory to queue it: placed here and now,
    // after those handed over before it.
    WaitForPlacer(placer, 2);
    PlaceOrDiscard(placer, Job{ written, temporary, final, journal, item });
}

DWORD WaitForPlacer(CopyPlacer* placer, size_t count)
{
    AcquireSRWLockExclusive(&placer->lock);
    while (placer->waiting >= count && placer->waiting > 0)
        SleepConditionVariableSRW(&placer->changed, &placer->lock, INFINITE, 0);
    DWORD error = placer->error;
    ReleaseSRWLockExclusive(&placer->lock);
    return error;
}

DWORD StopCopyPlacer(CopyPlacer* placer, std::string* final)
{
    if (placer->thread != NULL) {
        AcquireSRWLockExclusive(&placer->lock);
        placer->stopping = true;
        ReleaseSRWLockExclusive(&placer->lock);
        WakeAllConditionVariable(&placer->changed);
        WaitForSingleObject(placer->thread, INFINITE);
        CloseHandle(placer->thread);
    }
    DWORD error = placer->error;
    final->swap(placer->failed);
    delete placer;
    return error;
}
