// SPDX-License-Identifier: GPL-3.0-or-later
// Arb and FLINT values that free themselves, so that an exception (an
// interrupt request) thrown between their creation and their end leaks
// nothing.
#pragma once

#include <arb.h>
#include <arf.h>
#include <flint/fmpz.h>

namespace harmo {

class Arb {
public:
    Arb() { arb_init(v_); }
    ~Arb() { arb_clear(v_); }
    Arb(const Arb&) = delete;
    Arb& operator=(const Arb&) = delete;
    operator arb_ptr() { return v_; }
    operator arb_srcptr() const { return v_; }

private:
    arb_t v_;
};

class VecteurArb {
public:
    explicit VecteurArb(slong n) : v_(_arb_vec_init(n)), n_(n) {}
    ~VecteurArb() { _arb_vec_clear(v_, n_); }
    VecteurArb(VecteurArb&& o) noexcept : v_(o.v_), n_(o.n_) {
        o.v_ = nullptr;
        o.n_ = 0;
    }
    VecteurArb(const VecteurArb&) = delete;
    VecteurArb& operator=(const VecteurArb&) = delete;
    arb_ptr get() { return v_; }
    arb_srcptr get() const { return v_; }
    arb_ptr operator+(slong i) { return v_ + i; }
    arb_srcptr operator+(slong i) const { return v_ + i; }

private:
    arb_ptr v_;
    slong n_;
};

class Fmpz {
public:
    Fmpz() { fmpz_init(v_); }
    ~Fmpz() { fmpz_clear(v_); }
    Fmpz(const Fmpz&) = delete;
    Fmpz& operator=(const Fmpz&) = delete;
    operator fmpz*() { return v_; }
    operator const fmpz*() const { return v_; }

private:
    fmpz_t v_;
};

class Arf {
public:
    Arf() { arf_init(v_); }
    ~Arf() { arf_clear(v_); }
    Arf(const Arf&) = delete;
    Arf& operator=(const Arf&) = delete;
    operator arf_ptr() { return v_; }
    operator arf_srcptr() const { return v_; }

private:
    arf_t v_;
};

}  // namespace harmo
