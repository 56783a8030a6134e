#include "revisions/first_texts.h"

#include "platform/message_ids.h"

namespace revisions {

namespace {

// In the form the checks use them: a plain message gets its "！" where the check adds it.
constexpr messages::FixedText kTexts[] = {
    {message_ids::kXmlParseError, "解析XML时发生错误,请你检查XML参数格式"},
    {message_ids::kNoRootElement, "vkinterface结点不存在"},
    {message_ids::kNotProvided, "暂不提供此功能"},
    {message_ids::kDatabaseError, "数据库操作错误"},
    {message_ids::kPayrollNumberAndNameEmpty, "工资类别编号和名称不能同时为空"},
    {message_ids::kPayrollMissing, "工资类别：[%1]不存在！"},
    {message_ids::kDepartmentEmpty, "部门编号不能为空"},
    {message_ids::kDepartmentNotInPayroll, "工资类别[%1]中没有部门[%2]！"},
    {message_ids::kDepartmentNotLastLevel, "部门编码为[%1]的部门为非末级部门！"},
    {message_ids::kYearEmpty, "年度不能为空"},
    {message_ids::kYearMismatch, "导入数据年度不符"},
    {message_ids::kMonthClosed, "月数据已做月结"},
    {message_ids::kMonthEmpty, "导入月份不能为空"},
    {message_ids::kMonthNotOpen, "导入月份不正确"},
    {message_ids::kPersonNameEmpty, "人员姓名不能为空"},
    {message_ids::kPersonNameTooLong, "人员姓名长度超长"},
    {message_ids::kPersonCodeEmpty, "人员编号不能为空"},
    {message_ids::kPersonNotInRoster, "人员档案中没有[%1]的信息！"},
    {message_ids::kCategoryEmpty, "人员类别名称不能为空"},
    {message_ids::kCategoryNotSetUp, "人员类别设置不正确"},
    {message_ids::kItemNameNotSet, "工资项目名称未设置"},
    {message_ids::kItemTypeNotSet, "工资项目属性未设置"},
    {message_ids::kItemNotSetUp, "工资项目设置不正确"},
    {message_ids::kSuccess, "成功"},
    {message_ids::kPersonXmlParseError, "解析XML时发生错误,请你检查XML参数格式"},
    {message_ids::kForeignFlagInvalid, "是否中方人员判断标志不合法"},
    {message_ids::kTaxFlagInvalid, "是否扣税判断标志不合法"},
    {message_ids::kPersonCodeExists, "人员编号[%1]已存在，不能重复导入！"},
    {message_ids::kTooManyExtraFields, "人员附加信息个数不能超过100"},
    {message_ids::kExtraFieldNotSetUp, "人员附加信息[%1]未设置！"},
    {message_ids::kExtraFieldTooLong, "人员附加信息[%1]超长！"},
    {message_ids::kIdentityCardTooLong, "身份证号不能超过18位"},
    {message_ids::kProvidentFundAccountTooLong, "公积金账号不能超过12位"},
    {message_ids::kNoPayrollRow, "工资类别[%1]部门[%2]中没有人员[%3]本期间的工资数据"},
    {message_ids::kItemTwice, "工资项目[%1]在一条记录中出现多次"},
    {message_ids::kRosterLacksColumn, "人员档案表中没有[%1]列"},
    {message_ids::kExtraFieldTwice, "人员附加信息[%1]在一条记录中出现多次"},
    {message_ids::kValueTooLong, "列[%1]的值超过其长度%2"},
    {message_ids::kCodeLengthMismatch, "人员编码长度不符合规则"},
    {message_ids::kPayrollBoundToPersonnel, "工资类别：[%1]已与HR设置接口关系，不能引入人员！"},
    {message_ids::kItemValueNotNumber, "工资项目[%1]的值[%2]不是数字！"},
};

}  // namespace

std::span<const messages::FixedText> FirstRevisionTexts() {
    return kTexts;
}

}  // namespace revisions
