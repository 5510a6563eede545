// The program is built without exceptions: where the C++ library would throw (a string longer
// than memory allows, say), the process ends instead.
#include <cstdlib>

namespace std {

void __throw_bad_alloc() { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }

}  // namespace std
