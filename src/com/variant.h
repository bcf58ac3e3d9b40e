// UniqueVariant: a VARIANT that clears itself. Detach hands the value to an
// out-parameter, which then owns it.
#pragma once

#include <oleauto.h>

#include <utility>

namespace Corvane {

class UniqueVariant {
public:
    UniqueVariant() { VariantInit(&v_); }
    UniqueVariant(UniqueVariant&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }
    UniqueVariant& operator=(UniqueVariant&& o) noexcept {
        if (this != &o) {
            VariantClear(&v_);
            v_ = o.v_;
            VariantInit(&o.v_);
        }
        return *this;
    }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&v_); }

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARIANT* put() { VariantClear(&v_); return &v_; }
    // Moves the value into *out (which must be uninitialised or empty).
    void Detach(VARIANT* out) {
        *out = v_;
        VariantInit(&v_);
    }

private:
    VARIANT v_;
};

}  // namespace Corvane
