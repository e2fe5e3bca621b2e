// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/releves_sauves.h"

#include "commun/decimal.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace harmo {

namespace {

constexpr std::size_t lignePlusLongue = 4096;  // far above any relation's line
constexpr std::size_t facteursAuPlus = 400;
constexpr std::size_t tailleDUnMorceau = 8 << 20;  // bytes of text written at once, at most about

const char chiffresHexa[] = "0123456789abcdef";

int valeurHexa(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// An unsigned decimal integer of at most 20 digits below 2^64 at p, p moved past it.
bool lireEntier(const char*& p, const char* fin, std::uint64_t& v) {
    const char* debut = p;
    v = 0;
    while (p < fin && *p >= '0' && *p <= '9') {
        const std::uint64_t c = static_cast<std::uint64_t>(*p - '0');
        if (v > (~0ull - c) / 10) return false;
        v = v * 10 + c;
        ++p;
    }
    return p > debut;
}

bool blanc(const char*& p, const char* fin) {
    if (p >= fin || *p != ' ') return false;
    ++p;
    return true;
}

}  // namespace

std::string ligneDeRelation(const Relation& r) {
    std::string t;
    if (NTL::sign(r.y) < 0) t += '-';
    const long n = NTL::NumBytes(r.y);
    std::vector<unsigned char> octets(static_cast<std::size_t>(std::max(1L, n)), 0);
    NTL::BytesFromZZ(octets.data(), r.y, n);  // |y|, least significant byte first
    for (long i = std::max(1L, n) - 1; i >= 0; --i) {
        const unsigned char o = octets[static_cast<std::size_t>(i)];
        t += chiffresHexa[o >> 4];
        t += chiffresHexa[o & 15];
    }
    t += ' ';
    t += std::to_string(r.grand);
    t += ' ';
    t += std::to_string(r.autreGrand);
    for (std::uint32_t i : r.facteurs) {
        t += ' ';
        t += std::to_string(i);
    }
    t += '\n';
    return t;
}

bool relationDeLaLigne(const char* p, const char* fin, Relation& r) {
    if (fin - p > static_cast<long>(lignePlusLongue)) return false;
    const bool negatif = p < fin && *p == '-';
    if (negatif) ++p;
    const char* y = p;
    while (p < fin && valeurHexa(*p) >= 0) ++p;
    if (p == y) return false;
    std::vector<unsigned char> octets((static_cast<std::size_t>(p - y) + 1) / 2, 0);
    std::size_t k = 0;
    for (const char* c = p; c-- > y; ++k) octets[k / 2] |= static_cast<unsigned char>(valeurHexa(*c) << (4 * (k % 2)));
    NTL::ZZFromBytes(r.y, octets.data(), static_cast<long>(octets.size()));
    if (negatif) NTL::negate(r.y, r.y);
    if (!blanc(p, fin) || !lireEntier(p, fin, r.grand) || !blanc(p, fin) || !lireEntier(p, fin, r.autreGrand)) return false;
    r.facteurs.clear();
    while (p < fin) {
        std::uint64_t i;
        if (!blanc(p, fin) || !lireEntier(p, fin, i) || i > 0xffffffffu || r.facteurs.size() >= facteursAuPlus) return false;
        r.facteurs.push_back(static_cast<std::uint32_t>(i));
    }
    return r.grand != 0 && r.autreGrand != 0;
}

RelevesSauves::RelevesSauves(const NTL::ZZ& n, unsigned long k, std::size_t taille)
    : dossier_(dossierDuCache("releves")),
      prefixe_(nomDuNombre(enDecimal(n)) + "-" + std::to_string(k) + "-" + std::to_string(taille) + "-"),
      entete_("harmoniques releves 1\n" + enDecimal(n) + "\n" + std::to_string(k) + " " + std::to_string(taille) + "\n"),
      fichier_(dossier_, [this] {
          std::random_device alea;
          char t[24];
          std::snprintf(t, sizeof t, "%ld-%08x", static_cast<long>(::getpid()), alea());
          return prefixe_ + t;
      }()) {
    tampon_ = entete_;
}

RelevesSauves::~RelevesSauves() {
    try {
        if (!efface_ && notees_ > 0) ecrire(secondes_);
    } catch (...) {  // no memory left for the last batch: it is lost, nothing else
    }
}

std::vector<Relation> RelevesSauves::relire(double& secondes) {
    std::vector<Relation> relues;
    for (const FichierDuCache& f : fichiersDuCache(dossier_, prefixe_)) {
        const int fd = ouvrirDansLeCache(dossier_, f.nom);
        if (fd < 0) continue;
        // Line by line through a buffer; the header first, exactly.
        std::string reste;
        std::vector<char> bloc(1 << 20);
        bool enTete = true, valable = true;
        double dernier = 0;
        Relation r;
        for (;;) {
            const ssize_t lus = ::read(fd, bloc.data(), bloc.size());
            if (lus < 0 && errno == EINTR) continue;
            if (lus <= 0) break;
            reste.append(bloc.data(), static_cast<std::size_t>(lus));
            if (enTete) {
                if (reste.size() < entete_.size()) continue;
                valable = reste.compare(0, entete_.size(), entete_) == 0;
                if (!valable) break;
                reste.erase(0, entete_.size());
                enTete = false;
            }
            std::size_t debut = 0;
            for (std::size_t fin; (fin = reste.find('\n', debut)) != std::string::npos; debut = fin + 1) {
                const char* l = reste.data() + debut;
                if (fin - debut > 2 && l[0] == 't' && l[1] == ' ') {
                    dernier = std::strtod(l + 2, nullptr);
                    if (!(dernier >= 0 && dernier < 1e9)) dernier = 0;
                } else if (relationDeLaLigne(l, reste.data() + fin, r)) {
                    relues.push_back(std::move(r));
                    r = Relation();
                } else {
                    ++illisibles_;
                }
            }
            reste.erase(0, debut);
            if (reste.size() > lignePlusLongue) reste.clear();
        }
        ::close(fd);
        if (!valable || enTete) continue;
        secondes += dernier;
        if (!f.tenu) finis_.push_back(f.nom);
    }
    return relues;
}

void RelevesSauves::noter(const Relation& r) {
    if (dossier_.empty() || efface_) return;
    tampon_ += ligneDeRelation(r);
    ++notees_;
    // The relations read back go out by pieces: their text is never held whole.
    if (tampon_.size() >= tailleDUnMorceau) vider();
}

bool RelevesSauves::vider() {
    const bool ecrit = fichier_.ajouter(tampon_);
    tampon_.clear();
    return ecrit;
}

void RelevesSauves::ecrire(double secondes) {
    secondes_ = secondes;
    if (dossier_.empty() || efface_) return;
    char t[40];
    std::snprintf(t, sizeof t, "t %.1f\n", secondes);
    tampon_ += t;
    if (!vider()) return;  // false too when an earlier piece failed
    // Their relations are in this journal now.
    for (const std::string& nom : finis_) effacerSiLibre(dossier_, nom);
    finis_.clear();
}

void RelevesSauves::effacer() {
    efface_ = true;
    tampon_.clear();
    fichier_.effacer();
    for (const FichierDuCache& f : fichiersDuCache(dossier_, prefixe_))
        if (!f.tenu) effacerSiLibre(dossier_, f.nom);
}

}  // namespace harmo
