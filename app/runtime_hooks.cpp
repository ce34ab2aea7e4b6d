// The C++ run-time hooks of a program built without exceptions (-fno-exceptions).
//
// Nothing in the program throws or catches, so an exception could only ever end the
// process through std::terminate. The library's own versions of the hooks below throw
// anyway, and each throw drags in the whole exception run-time: the unwinder, the
// personality routine, the verbose terminate handler with its demangler and printf, and
// the exception classes with their strings: about 250 KB, two thirds of the program. These
// versions end the process the same way an uncaught exception does, with abort(), and keep
// it out.
#include <cstdlib>
#include <new>

namespace {

[[noreturn]] void Fail() { std::abort(); }

// The replaceable allocation function's contract: try, let a new-handler free memory, try
// again; without a handler, fail.
void* Allocate(std::size_t size) noexcept {
  for (;;) {
    if (void* block = std::malloc(size ? size : 1)) return block;
    const std::new_handler handler = std::get_new_handler();
    if (!handler) return nullptr;
    handler();
  }
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* block = Allocate(size)) return block;
  Fail();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }

// The failure paths of the standard containers and utilities (a length beyond max_size, an
// empty std::function called, ...): each would be an uncaught throw.
namespace std {
void __throw_bad_exception() { Fail(); }
void __throw_bad_alloc() { Fail(); }
void __throw_bad_array_new_length() { Fail(); }
void __throw_bad_cast() { Fail(); }
void __throw_bad_typeid() { Fail(); }
void __throw_logic_error(const char*) { Fail(); }
void __throw_domain_error(const char*) { Fail(); }
void __throw_invalid_argument(const char*) { Fail(); }
void __throw_length_error(const char*) { Fail(); }
void __throw_out_of_range(const char*) { Fail(); }
void __throw_out_of_range_fmt(const char*, ...) { Fail(); }
void __throw_runtime_error(const char*) { Fail(); }
void __throw_range_error(const char*) { Fail(); }
void __throw_overflow_error(const char*) { Fail(); }
void __throw_underflow_error(const char*) { Fail(); }
void __throw_bad_function_call() { Fail(); }
}  // namespace std
