#include "data/ComputedFields.h"

#include <string_view>

#include "data/MarkFields.h"
#include "db/Dataset.h"
#include "db/Error.h"
#include "formula/Routines.h"
#include "formula/TParser.h"

namespace data {

namespace {

bool sameAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

// The text of a value without a copy; empty for NULL or a non-text value.
const std::string& textOf(const db::Value& v) {
    static const std::string empty;
    const std::string* s = std::get_if<std::string>(&v);
    return s ? *s : empty;
}

// "Name grade G": G itself when it is the stored grade, G with the stored grade in
// brackets on an ordinary sheet, nothing on a re-examination sheet.
std::string nameGrade(const char* g, std::int64_t gId, std::int64_t stored, bool reexamination,
                      const GradingIds& ids) {
    if (stored == gId) return g;
    if (reexamination) return {};
    return std::string(g) + "(" + GradeShortName(stored, ids) + ")";
}

}  // namespace

double roundToDecimals(double value, int decimals) {
    const double step = decimals == 1 ? 0.1 : decimals == 2 ? 0.01 : 1.0;
    return formula::roundHalfEven(value / step) * step;
}

std::string cutToChars(std::string text, std::size_t n) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (chars == n) {
            text.resize(i);
            break;
        }
        ++chars;
    }
    return text;
}

std::string gradeNameForTotal(double x, std::int64_t stored, bool reexamination,
                              AssessmentClass cls, const GradeBands& bands, const GradingIds& ids) {
    auto named = [&](Band b) {
        return nameGrade(bandName(b), gradeIdOf(b, ids), stored, reexamination, ids);
    };
    switch (cls) {
        case AssessmentClass::Attestation:
            if (bands.earns(Band::NotAttested, x)) return named(Band::NotAttested);
            if (bands.earns(Band::Attested, x)) return named(Band::Attested);
            return {};
        case AssessmentClass::Graded:
            for (Band b : {Band::Good, Band::Satisfactory, Band::Excellent, Band::Fail})
                if (bands.earns(b, x)) return named(b);
            break;
        case AssessmentClass::Credit:
            for (Band b : {Band::Credit, Band::NoCredit})
                if (bands.earns(b, x)) return named(b);
            break;
        case AssessmentClass::Other:
            return {};
    }
    if (x == 0 && stored == ids.GradeNotAdmittedId) return " н/п";
    if (bands.earns(Band::Absent, x)) return named(Band::Absent);
    return nameGrade("-", ids.GradeDashId, stored, reexamination, ids);
}

std::string gradeNameForShareFailure(std::int64_t stored, const GradingIds& ids) {
    if (stored == ids.GradeFailId) return "н/у";
    return "н/у(" + GradeShortName(stored, ids) + ")";
}

db::Field* ComputedFields::FieldRef::find(db::Dataset& ds) {
    // The answer stands while the dataset's fields do (a reopened dataset builds new ones).
    if (dataset_ == &ds && stamp_ == ds.fieldsStamp()) return field_;
    dataset_ = &ds;
    stamp_ = ds.fieldsStamp();
    field_ = ds.findField(name_);
    return field_;
}

db::Field& ComputedFields::FieldRef::get(db::Dataset& ds) {
    if (db::Field* f = find(ds)) return *f;
    return ds.field(name_);  // raises the dataset's own error
}

ComputedFields::ComputedFields() {
    for (int i = 0; i < kControlPointCount; ++i) marks_[i] = FieldRef(kMarkFields[i]);
    for (int i = 0; i < 10; ++i) calc_[i] = FieldRef("calc" + std::to_string(i + 1));
}

db::Field& ComputedFields::markField(db::Dataset& sheet, const std::string& name) {
    for (FieldRef& r : byPole_)
        if (r.name() == name) return r.get(sheet);
    byPole_.emplace_back(name);
    return byPole_.back().get(sheet);
}

// One walk over the rule rows serves the formulas and the minimum-share test: the
// intermediate formulas in row order, the total's formula after them, then the test
// ("dop" never counts, every other control point needs 61 % of its maximum). The rule
// rows are left where a separate walk for each would leave them: at the end when the
// test runs, else on the total's row.
void ComputedFields::calculate(db::Dataset& sheet, const ComputedFieldsContext& ctx) {
    if (!ctx.gridHasDataset) return;
    const GradingIds& ids = ctx.ids;
    const std::int64_t stored = estimation_.get(sheet).asInteger();
    db::Field& ball1 = ball1_.get(sheet);
    const bool computeTotal = stored != ids.GradeNotAdmittedId;
    formula::TParser& parser = ctx.parser;
    if (computeTotal)
        for (int i = 0; i < kControlPointCount; ++i)
            parser.SetVariable(kMarkFields[i],
                               formula::roundHalfEven(marks_[i].get(sheet).asDouble()));

    db::Dataset& rules = ctx.estConfig;
    bool shareFailed = false;
    if (computeTotal || ids.MinShareRule) {
        db::Field& pole = pole_.get(rules);
        db::Field& text = formula_.get(rules);
        db::Field* max = ids.MinShareRule ? &max_.get(rules) : nullptr;
        const db::Value* totalFormula = nullptr;
        int totalRow = 0;
        int n = 0;
        for (rules.first(); !rules.eof(); rules.next()) {
            const std::string& name = textOf(pole.value());
            if (name.empty()) {
                if (!computeTotal) continue;
                if (n == 10) throw db::Error(kTooManyFormulasMessage);
                parser.setExpression(textOf(text.value()));
                calc_[n].get(sheet).setValue(
                    db::Value(roundToDecimals(static_cast<double>(parser.Value()), 1)));
                ++n;
                continue;
            }
            if (name == "ball1") {
                if (!totalFormula) {
                    totalFormula = &text.value();
                    totalRow = rules.recNo();
                }
                continue;
            }
            if (!max || sameAsciiNoCase(name, "dop") || sameAsciiNoCase(name, "ball1")) continue;
            const double m = formula::roundHalfEven(max->asDouble());
            if (m * 61 / 100 > markField(sheet, name).asDouble()) shareFailed = true;
        }
        if (computeTotal) {
            if (totalFormula) {
                parser.setExpression(textOf(*totalFormula));
                ball1.setValue(db::Value(roundToDecimals(static_cast<double>(parser.Value()), 2)));
            } else {
                ball1.setValue(db::Value(0.0));
            }
        }
        if (totalFormula && !ids.MinShareRule) rules.setRecNo(totalRow);
    }

    db::Field* sessiya = sessiya_.find(sheet);
    const bool reexamination = sessiya && sessiya->asInteger() != 0;
    double x = ball1.asDouble();
    if (reexamination) {
        if (stored == ids.GradeSatisfactoryId)
            x = ctx.bands[Band::Satisfactory].lower;
        else if (stored == ids.GradeGoodId)
            x = ctx.bands[Band::Good].lower;
        else if (stored == ids.GradeExcellentId)
            x = ctx.bands[Band::Excellent].lower;
        else if (stored == ids.GradeCreditId)
            x = ctx.bands[Band::Credit].lower;
    }

    std::string name = shareFailed ? gradeNameForShareFailure(stored, ids)
                                   : gradeNameForTotal(x, stored, reexamination,
                                                       ctx.assessmentClass, ctx.bands, ids);
    ballName_.get(sheet).setValue(db::Value(cutToChars(std::move(name), 10)));
}

}  // namespace data
