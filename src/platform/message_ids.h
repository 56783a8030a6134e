// The identifiers of the catalogs' messages (data/messages.*.txt) that the server gives, by what
// each says, so that a check names the message it gives and a misspelt one does not build. The
// payroll items' names are a table of their own (messages/item_names.cpp).
#pragma once

namespace message_ids {

// 解析XML时发生错误,请你检查XML参数格式; the request is not XML (ISalaryItem's form)
inline constexpr const char* kXmlParseError = "Qz.WA.EAI.00002";
// XML根结点不存在
inline constexpr const char* kNoRootElement = "Qz.WA.EAI.00006";
// 暂不提供此功能; proc is neither ADD nor QUERY
inline constexpr const char* kNotProvided = "Qz.WA.EAI.00007";
// 数据库操作错误; before a writer's cause
inline constexpr const char* kDatabaseError = "Qz.WA.EAI.00008";
// 工资类别编号和名称不能同时为空
inline constexpr const char* kPayrollNumberAndNameEmpty = "Qz.WA.EAI.00009";
// 工资类别：[%1]不存在！
inline constexpr const char* kPayrollMissing = "Qz.WA.EAI.00010";
// 部门编号不能为空
inline constexpr const char* kDepartmentEmpty = "Qz.WA.EAI.00014";
// 工资类别[%1]中没有部门[%2]！
inline constexpr const char* kDepartmentNotInPayroll = "Qz.WA.EAI.00015";
// 部门编码为[%1]的部门为非末级部门！
inline constexpr const char* kDepartmentNotLastLevel = "Qz.WA.EAI.00017";
// 年度不能为空
inline constexpr const char* kYearEmpty = "Qz.WA.EAI.00019";
// 导入数据年度不符
inline constexpr const char* kYearMismatch = "Qz.WA.EAI.00020";
// 月数据已做月结; after the month's number
inline constexpr const char* kMonthClosed = "Qz.WA.EAI.00021";
// 导入月份不能为空
inline constexpr const char* kMonthEmpty = "Qz.WA.EAI.00022";
// 导入月份不正确
inline constexpr const char* kMonthNotOpen = "Qz.WA.EAI.00023";
// 人员姓名不能为空
inline constexpr const char* kPersonNameEmpty = "Qz.WA.EAI.00024";
// 人员姓名长度超长
inline constexpr const char* kPersonNameTooLong = "Qz.WA.EAI.00025";
// 人员编号不能为空
inline constexpr const char* kPersonCodeEmpty = "Qz.WA.EAI.00026";
// 人员档案中没有此人员编号
inline constexpr const char* kPersonCodeNotInMaster = "Qz.WA.EAI.00027";
// 人员编号长度超长
inline constexpr const char* kPersonCodeTooLong = "Qz.WA.EAI.00028";
// 人员档案中没有[%1]的信息！
inline constexpr const char* kPersonNotInRoster = "Qz.WA.EAI.00030";
// 人员类别名称不能为空
inline constexpr const char* kCategoryEmpty = "Qz.WA.EAI.00032";
// 人员类别设置不正确
inline constexpr const char* kCategoryNotSetUp = "Qz.WA.EAI.00033";
// 工资项目名称未设置
inline constexpr const char* kItemNameNotSet = "Qz.WA.EAI.00034";
// 工资项目属性未设置
inline constexpr const char* kItemTypeNotSet = "Qz.WA.EAI.00035";
// 工资项目设置不正确
inline constexpr const char* kItemNotSetUp = "Qz.WA.EAI.00036";
// 成功; a written record's message
inline constexpr const char* kSuccess = "Qz.WA.EAI.00038";
// 解析XML时发生错误,请你检查XML参数格式; the request is not XML (ISalaryPerson's form)
inline constexpr const char* kPersonXmlParseError = "Qz.WA.EAI.00040";
// 是否中方人员判断标志不合法
inline constexpr const char* kForeignFlagInvalid = "Qz.WA.EAI.00059";
// 是否扣税判断标志不合法
inline constexpr const char* kTaxFlagInvalid = "Qz.WA.EAI.00060";
// 人员档案中没有此编号和姓名的人员
inline constexpr const char* kPersonCodeAndNameNotInMaster = "Qz.WA.EAI.00062";
// 人员编号[%1]已存在，不能重复导入！
inline constexpr const char* kPersonCodeExists = "Qz.WA.EAI.00065";
// 人员附加信息个数不能超过100
inline constexpr const char* kTooManyExtraFields = "Qz.WA.EAI.00070";
// 人员附加信息[%1]未设置！
inline constexpr const char* kExtraFieldNotSetUp = "Qz.WA.EAI.00073";
// 人员附加信息[%1]超长！
inline constexpr const char* kExtraFieldTooLong = "Qz.WA.EAI.00075";
// 身份证号不能超过18位
inline constexpr const char* kIdentityCardTooLong = "Qz.WA.EAI.00079";
// 公积金账号不能超过12位
inline constexpr const char* kProvidentFundAccountTooLong = "Qz.WA.EAI.00082";
// 工资类别[%1]部门[%2]中没有人员[%3]本期间的工资数据; our own from here: the causes a writer gives
inline constexpr const char* kNoPayrollRow = "Qz.WA.EAI.09001";
// 人员档案中没有人员编号[%1]，或其人员类型没有对应的人员类别
inline constexpr const char* kPersonMasterIncomplete = "Qz.WA.EAI.09002";
// 工资项目[%1]在一条记录中出现多次
inline constexpr const char* kItemTwice = "Qz.WA.EAI.09003";
// 人员档案表中没有[%1]列
inline constexpr const char* kRosterLacksColumn = "Qz.WA.EAI.09004";
// 人员附加信息[%1]在一条记录中出现多次
inline constexpr const char* kExtraFieldTwice = "Qz.WA.EAI.09005";
// 列[%1]的值超过其长度%2
inline constexpr const char* kValueTooLong = "Qz.WA.EAI.09006";
// 人员编码长度不符合规则
inline constexpr const char* kCodeLengthMismatch = "Qz.WA.EAI.09007";
// 工资类别：[%1]已与HR设置接口关系，不能引入人员！
inline constexpr const char* kPayrollBoundToPersonnel = "Qz.WA.EAI.09008";
// 工资项目[%1]的值[%2]不是数字！
inline constexpr const char* kItemValueNotNumber = "Qz.WA.EAI.09009";

}  // namespace message_ids
