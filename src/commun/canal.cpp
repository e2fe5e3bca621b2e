// SPDX-License-Identifier: GPL-3.0-or-later
// The frames between a computation apart and the program (commun/enfant.h):
// one byte of type, eight of length, then the bytes.
//   'D' data of the result, 'M' a part taken at once, 'P' a progress text,
//   'F' the end, 'E' a failure.
// Integers go as their sign, their number of limbs and GMP's limbs; reals as
// their mantissa and exponent, exactly.
#include "commun/enfant.h"

#include <NTL/ZZ_limbs.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace harmo {

namespace {

bool ecrireTout(int fd, const void* p, std::size_t n) {
    const char* c = static_cast<const char*>(p);
    while (n > 0) {
        ssize_t k = ::write(fd, c, n);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return false;
        c += k;
        n -= static_cast<std::size_t>(k);
    }
    return true;
}

// A result cut short.
const EchecDuCalcul incomplet{false, "resultat incomplet"};

}  // namespace

void Canal::ecrireTrame(char type, const void* donnees, std::size_t taille) {
    if (tampon_) {
        if (type == 'D') tampon_->append(static_cast<const char*>(donnees), taille);
        if (type == 'M' && surMorceau_ && *surMorceau_) {
            Resultat r(std::string(static_cast<const char*>(donnees), taille));
            (*surMorceau_)(r);
        }
        return;
    }
    char tete[9];
    tete[0] = type;
    const std::uint64_t t = taille;
    std::memcpy(tete + 1, &t, 8);
    if (!ecrireTout(fd_, tete, 9) || !ecrireTout(fd_, donnees, taille)) ::_exit(3);  // the parent is gone
}

void Canal::morceau(const std::string& octets) { ecrireTrame('M', octets.data(), octets.size()); }

Canal& Canal::operator<<(long v) {
    ecrireTrame('D', &v, sizeof v);
    return *this;
}

Canal& Canal::operator<<(const std::string& t) {
    const std::uint64_t n = t.size();
    ecrireTrame('D', &n, 8);
    ecrireTrame('D', t.data(), t.size());
    return *this;
}

Canal& Canal::operator<<(const NTL::ZZ& z) {
    const long signe = NTL::sign(z), n = z.size();
    *this << signe << n;
    ecrireTrame('D', NTL::ZZ_limbs_get(z), static_cast<std::size_t>(n) * sizeof(NTL::ZZ_limb_t));
    return *this;
}

Canal& Canal::operator<<(const NTL::RR& x) {
    *this << x.mantissa() << x.exponent();
    return *this;
}

void Resultat::lire(void* p, std::size_t n) {
    if (pos_ + n > d_.size()) throw incomplet;
    std::memcpy(p, d_.data() + pos_, n);
    pos_ += n;
}

Resultat& Resultat::operator>>(long& v) {
    lire(&v, sizeof v);
    return *this;
}

Resultat& Resultat::operator>>(std::string& t) {
    std::uint64_t n;
    lire(&n, 8);
    if (pos_ + n > d_.size()) throw incomplet;
    t.assign(d_, pos_, n);
    pos_ += n;
    return *this;
}

Resultat& Resultat::operator>>(NTL::ZZ& z) {
    long signe, n;
    *this >> signe >> n;
    if (n < 0 || pos_ + static_cast<std::size_t>(n) * sizeof(NTL::ZZ_limb_t) > d_.size()) throw incomplet;
    NTL::ZZ_limbs_set(z, reinterpret_cast<const NTL::ZZ_limb_t*>(d_.data() + pos_), n);
    pos_ += static_cast<std::size_t>(n) * sizeof(NTL::ZZ_limb_t);
    if (signe < 0) NTL::negate(z, z);
    return *this;
}

Resultat& Resultat::operator>>(NTL::RR& x) {
    NTL::ZZ m;
    long e;
    *this >> m >> e;
    NTL::MakeRRPrec(x, m, e, std::max<long>(NTL::NumBits(m), 1));
    return *this;
}

}  // namespace harmo
