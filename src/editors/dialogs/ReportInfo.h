// The parts of a Save or Report record that its three dialogs edit, as plain
// values: the seven tag identifiers, the five job texts and the company
// block with its logo. A dialog works on these values; the page copies them
// out of its record before the dialog opens and back (through the page
// framework) when it closes. The tag fields are spelled differently in the
// two records, so each record kind has its own pair of copy functions.
#pragma once

#include "document/TaskRecords.h"

#include <QString>

#include <array>

namespace stepvane {

constexpr int kTagCount = 7;
constexpr int kJobCount = 5;

// In the dialog's row order: Work Folder, Work Order ID, Site-ID, Sector,
// Technology, Test Type, Termination.
using TagTexts = std::array<QString, kTagCount>;

struct JobInfo {
    // Engineer, Test Purpose, Site Information, Result, Remark.
    std::array<QString, kJobCount> names;
    std::array<Flag, kJobCount> checks{};
    bool operator==(const JobInfo &) const = default;
};

struct CompanyInfo {
    QString name;
    QString address;
    Flag nameCheck = 0;
    Flag addressCheck = 0;
    AttachedImage logo;
    bool operator==(const CompanyInfo &) const = default;
};

inline TagTexts tagTextsOf(const SaveTask &r)
{
    return {r.WorkFolder, r.WorkOrderID, r.Site_ID,    r.Sector,
            r.Technology, r.Test_Type,   r.Termination};
}

inline TagTexts tagTextsOf(const ReportTask &r)
{
    return {r.Workfolder, r.WorkorderID, r.Site_ID,    r.Sector,
            r.Technology, r.Test_type,   r.Termination};
}

// The tag texts are fixed fields of 512 characters on the instrument: a
// longer value is cut to 511.
inline QString fixedTagText(const QString &text)
{
    return text.left(kFixedText512);
}

inline void setTagTexts(SaveTask &r, const TagTexts &t)
{
    QString *fields[kTagCount] = {&r.WorkFolder, &r.WorkOrderID, &r.Site_ID,    &r.Sector,
                                  &r.Technology, &r.Test_Type,   &r.Termination};
    for (int i = 0; i < kTagCount; ++i)
        *fields[i] = fixedTagText(t[size_t(i)]);
}

inline void setTagTexts(ReportTask &r, const TagTexts &t)
{
    QString *fields[kTagCount] = {&r.Workfolder, &r.WorkorderID, &r.Site_ID,    &r.Sector,
                                  &r.Technology, &r.Test_type,   &r.Termination};
    for (int i = 0; i < kTagCount; ++i)
        *fields[i] = fixedTagText(t[size_t(i)]);
}

// Save and Report name their job and company fields alike.
template <typename R> JobInfo jobInfoOf(const R &r)
{
    return {{r.Engineer_Name, r.TestPurpose_Name, r.Site_Information_Name, r.Result_Name,
             r.Remark_Name},
            {r.Engineer_Check, r.TestPurpose_Check, r.Site_Information_Check, r.Result_Check,
             r.Remark_Check}};
}

template <typename R> void setJobInfo(R &r, const JobInfo &j)
{
    r.Engineer_Name = j.names[0];
    r.TestPurpose_Name = j.names[1];
    r.Site_Information_Name = j.names[2];
    r.Result_Name = j.names[3];
    r.Remark_Name = j.names[4];
    r.Engineer_Check = j.checks[0];
    r.TestPurpose_Check = j.checks[1];
    r.Site_Information_Check = j.checks[2];
    r.Result_Check = j.checks[3];
    r.Remark_Check = j.checks[4];
}

template <typename R> CompanyInfo companyInfoOf(const R &r)
{
    return {r.Company_Name, r.Address_Name, r.Company_Check, r.Address_Check, r.logo};
}

template <typename R> void setCompanyInfo(R &r, const CompanyInfo &c)
{
    r.Company_Name = c.name;
    r.Address_Name = c.address;
    r.Company_Check = c.nameCheck;
    r.Address_Check = c.addressCheck;
    r.logo = c.logo;
}

} // namespace stepvane
