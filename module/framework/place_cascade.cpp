#include "place_cascade.h"

#include "PublicBusi.h"

namespace rsimform {
namespace {

// Frames a place list with "忽略" (-1) first and "全部" (0) last, shows it in the combo box and
// selects the operator's own place.
template <class Lookup, class Record, class Code>
void showPlaces(Lookup& places, void (Record::*setCode)(const Code&),
                void (Record::*setName)(const std::string&), QComboBox* combo, std::int64_t own)
{
    Record ignore, all;
    (ignore.*setCode)(-1);
    (ignore.*setName)("忽略");
    (all.*setCode)(0);
    (all.*setName)("全部");
    places.Entries().insert(0, ignore);
    places.Entries().push_back(all);
    combo->clear();
    places.FillComboBox(combo);
    PostionComboBoxItem(combo, QString::fromUtf8(places.ItemOfCode(own)));
}

} // namespace

PlaceCascade::PlaceCascade(QComboBox* region, QComboBox* county, QComboBox* hall)
    : region_(region), county_(county), hall_(hall)
{
    QObject::connect(region_, &QComboBox::activated, region_, [this] { RegionChanged(); });
    QObject::connect(county_, &QComboBox::activated, county_, [this] { CountyChanged(); });
}

void PlaceCascade::Fill(const CBasicLookup& regions, CSysMgntPublic& sysMgnt,
                        const MSysmgntDef::SOperator& op)
{
    regions_ = &regions;
    sysMgnt_ = &sysMgnt;
    operator_ = &op;
    region_->clear();
    regions.FillComboBox(region_);
}

void PlaceCascade::SelectOperatorsPlace()
{
    PostionComboBoxItem(region_, QString::fromUtf8(regions_->ItemOfCode(operator_->REGION_CODE)));
    RegionChanged();
}

std::int64_t PlaceCascade::CodeOf(const QComboBox* combo)
{
    return ExtractItemCode(combo->currentText().toStdString());
}

void PlaceCascade::RegionChanged()
{
    if (!sysMgnt_->RefreshComboBox(static_cast<int>(CodeOf(region_)), counties_, county_))
        counties_ = MakeCountyLookup({});
    showPlaces(*counties_, &MSysmgntDef::SCounty::set_COUNTY_CODE,
               &MSysmgntDef::SCounty::set_COUNTY_NAME, county_, operator_->COUNTY_CODE);
    CountyChanged();
}

void PlaceCascade::CountyChanged()
{
    if (!sysMgnt_->RefreshComboBox(static_cast<int>(CodeOf(region_)),
                                   static_cast<int>(CodeOf(county_)), halls_, hall_))
        halls_ = MakeOrgLookup({});
    showPlaces(*halls_, &MSysmgntDef::SOrgBriefProfile::set_ORG_ID,
               &MSysmgntDef::SOrgBriefProfile::set_ORG_NAME, hall_, operator_->ORG_ID);
}

} // namespace rsimform
