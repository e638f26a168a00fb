#pragma once

namespace sonvarek {

// Sets the nice value of the calling thread (not the whole process). A raise of
// priority that the system refuses leaves the thread at nice 0. Returns the nice
// value in force afterwards.
int SetCurrentThreadNice(int nice);

}  // namespace sonvarek
