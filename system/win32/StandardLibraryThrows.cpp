// How libstdc++'s containers and strings report a failure in the MinGW-w64
// builds. The library's own versions of these functions build each error's
// message into a reference-counted string of the library's old ABI, which
// brings that whole string class (and std::random_device, which it
// instantiates) into the link, about a tenth of each executable. The
// failures they stand for are programming errors or a request too large to
// meet, and every place that catches them here catches everything
// (catch (...)): the same exceptions without a copied message behave the
// same. Defining the functions here, in each executable's own objects, keeps
// libstdc++'s out of the link; all of them must be here, or the linker
// brings its object in and finds them twice.
#include <bits/functexcept.h>

#include <exception>
#include <new>
#include <typeinfo>

namespace {

// A library error with the text the library passed, which is a literal.
class LibraryError final : public std::exception {
public:
    explicit LibraryError(const char* text) noexcept : text_(text) {}
    const char* what() const noexcept override { return text_; }

private:
    const char* text_;
};

}  // namespace

namespace std {

void __throw_bad_exception() { throw std::bad_exception(); }
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
void __throw_bad_cast() { throw std::bad_cast(); }
void __throw_bad_typeid() { throw std::bad_typeid(); }
void __throw_logic_error(const char* text) { throw LibraryError(text); }
void __throw_domain_error(const char* text) { throw LibraryError(text); }
void __throw_invalid_argument(const char* text) { throw LibraryError(text); }
void __throw_length_error(const char* text) { throw LibraryError(text); }
void __throw_out_of_range(const char* text) { throw LibraryError(text); }
void __throw_out_of_range_fmt(const char* format, ...) { throw LibraryError(format); }
void __throw_runtime_error(const char* text) { throw LibraryError(text); }
void __throw_range_error(const char* text) { throw LibraryError(text); }
void __throw_overflow_error(const char* text) { throw LibraryError(text); }
void __throw_underflow_error(const char* text) { throw LibraryError(text); }

}  // namespace std
