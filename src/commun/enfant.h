// SPDX-License-Identifier: GPL-3.0-or-later
// A computation that the program can abandon at once: it runs in a child
// process (fork), sends back its results and its progress through a pipe,
// and is killed when an interrupt is requested. For the work that sits in
// library calls the program cannot check from inside: the multiplications of
// hundreds of millions of bits, the decimal text of huge integers, PARI's
// factorisation.
#pragma once

#include <NTL/RR.h>
#include <NTL/ZZ.h>

#include <cstdint>
#include <functional>
#include <string>

namespace harmo {

class Resultat;
// What takes the parts of a result as they come (Canal::morceau).
using SurMorceau = std::function<void(Resultat&)>;

// The child's side: what it writes becomes the parent's Resultat. A Canal on
// a string keeps the data frames in memory, for a computation run in place.
class Canal {
public:
    explicit Canal(int fd) : fd_(fd) {}
    explicit Canal(std::string& tampon, const SurMorceau* surMorceau = nullptr)
        : tampon_(&tampon), surMorceau_(surMorceau) {}
    Canal& operator<<(long v);
    Canal& operator<<(const std::string& t);
    Canal& operator<<(const NTL::ZZ& z);
    Canal& operator<<(const NTL::RR& x);
    void ecrireTrame(char type, const void* donnees, std::size_t taille);
    // A part of the result that the parent takes at once, and keeps if the
    // computation is abandoned after it: the values written on a Canal over
    // the string octets.
    void morceau(const std::string& octets);

private:
    int fd_ = -1;
    std::string* tampon_ = nullptr;
    const SurMorceau* surMorceau_ = nullptr;
};

// The parent's side: the values in the order the child wrote them.
class Resultat {
public:
    explicit Resultat(std::string donnees) : d_(std::move(donnees)) {}
    Resultat& operator>>(long& v);
    Resultat& operator>>(std::string& t);
    Resultat& operator>>(NTL::ZZ& z);
    Resultat& operator>>(NTL::RR& x);

private:
    void lire(void* p, std::size_t n);
    std::string d_;
    std::size_t pos_ = 0;
};

// The computation could not finish: memory exhausted (memoire), or a failure
// of the system or of the child, told in a few words (raison).
struct EchecDuCalcul {
    bool memoire = true;
    std::string raison;
};

// Runs travail in a child process and returns what it wrote. Throws
// CalculInterrompu (commun/suivi.h) when an interrupt is requested meanwhile,
// after the child has been killed; EchecDuCalcul when the child fails.
// With enPlace, travail runs in this process instead, for work small enough
// that its own interrupt checks answer within a fraction of a second: the
// same results, without the cost of a process and of copying them back.
// surMorceau receives each part that travail sends by Canal::morceau, as it
// comes, before any interrupt or failure is thrown.
Resultat calculerAPart(const std::function<void(Canal&)>& travail, bool enPlace = false,
                       const SurMorceau& surMorceau = {});

}  // namespace harmo
