/* The methods of the classes' default interfaces, in slot order, for the type libraries. */

#define WAGELINK_TRANSACT(dispid) \
    [id(dispid)] HRESULT Transact([in] BSTR sXML, [in, out] IDispatch** login, \
                              [out, retval] BSTR* result);

#define WAGELINK_EARLIER_QUERYPROC \
    [id(0x60030005)] HRESULT QueryProc([in] IXMLDOMNodeList* eleList, [in, out] BSTR* sRetXml, \
                                       [out, retval] VARIANT_BOOL* result);

#define WAGELINK_QUERYPROC(name, dispid) \
    [id(dispid)] HRESULT name([in] IXMLDOMNodeList* eleList, [in, out] BSTR* sRetXml, \
                          [in] BSTR sRootTag, [in, out] IDispatch** Ocom, \
                          [out, retval] VARIANT_BOOL* result);

#define WAGELINK_TEXTS(genLenId, resStringId, resStringArgId, langId, unLangId) \
    [id(genLenId)] HRESULT GenLen([in, out] BSTR* Lstr, [out, retval] short* result); \
    [id(resStringId)] HRESULT GetResString([in, out] BSTR* ResId, [out, retval] BSTR* result); \
    [id(resStringArgId)] HRESULT GetResStringArg([in, out] BSTR* ResId, \
                                               [in, out, optional] VARIANT* Arg1, \
                                               [in, out, optional] VARIANT* Arg2, \
                                               [in, out, optional] VARIANT* Arg3, \
                                               [out, retval] VARIANT* result); \
    [id(langId)] HRESULT Lang([in, out] BSTR* cnString, [out, retval] BSTR* result); \
    [id(unLangId)] HRESULT unLang([in, out] BSTR* LString, [out, retval] BSTR* result);

#define WAGELINK_CURRENT_COMMON \
    [id(0x60030000)] HRESULT AddObjectReference([in, out] IDispatch** Caller, \
                                                [out, retval] VARIANT_BOOL* result); \
    [id(0x60030001)] HRESULT DropObjectReference([in, out] IDispatch** Caller, \
                                                 [out, retval] VARIANT_BOOL* result); \
    WAGELINK_TRANSACT(0x60030002) \
    WAGELINK_QUERYPROC(QueryProc, 0x60030007) \
    WAGELINK_TEXTS(0x60030009, 0x6003000A, 0x6003000B, 0x6003000C, 0x6003000D)

#define WAGELINK_FIRST_METHODS \
    WAGELINK_TRANSACT(0x60030000) \
    WAGELINK_EARLIER_QUERYPROC

#define WAGELINK_SECOND_METHODS \
    WAGELINK_FIRST_METHODS \
    WAGELINK_TEXTS(0x6003000B, 0x60030011, 0x60030012, 0x60030018, 0x60030019)

/* What every default interface is. */
#define WAGELINK_INTERFACE_KIND dual, oleautomation, hidden, nonextensible
