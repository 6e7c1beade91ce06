// The region → county → business hall combo boxes. Choosing a region refills the counties,
// framed by "[-1] 忽略" first and "[0] 全部" last, and selects the operator's county; choosing a
// county refills the business halls the same way and selects the operator's hall.
#pragma once

#include "form_base.h"

#include <QComboBox>

namespace rsimform {

class PlaceCascade {
public:
    // Runs the cascade when the user chooses a region or a county.
    PlaceCascade(QComboBox* region, QComboBox* county, QComboBox* hall);

    // Fills the regions from their code list; the libraries serve the lists below.
    void Fill(const CBasicLookup& regions, CSysMgntPublic& sysMgnt,
              const MSysmgntDef::SOperator& op);
    // Selects the operator's region and runs the cascade.
    void SelectOperatorsPlace();
    void RegionChanged();
    void CountyChanged();

    // The code of the chosen item: the code in its brackets (0 with none chosen).
    static std::int64_t CodeOf(const QComboBox* combo);

private:
    QComboBox* region_;
    QComboBox* county_;
    QComboBox* hall_;
    const CBasicLookup* regions_ = nullptr;
    CSysMgntPublic* sysMgnt_ = nullptr;
    const MSysmgntDef::SOperator* operator_ = nullptr;
    std::unique_ptr<CCountyLookup> counties_;
    std::unique_ptr<COrgLookup> halls_;
};

} // namespace rsimform
