#pragma once
// The UI Automation client declarations the adapter uses. mingw-w64 lacks the
// client interfaces; the cross build reads Wine's generated headers for
// IUIAutomation, the element, array, condition, walker, value and
// legacy-accessible interfaces. The pattern interfaces that neither ships are
// declared here in the vtable order of the Windows SDK's IDL, in a namespace
// of their own so they never collide with a full SDK.

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>
#include <uiautomationclient.h>

namespace winhelper::uia::sdk {

// CUIAutomation and IUIAutomation, as in the SDK.
inline constexpr CLSID kClsidCUIAutomation = {
    0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
// CUIAutomation8 (Windows 8 and later): the class whose objects offer
// IUIAutomation2 and later, with the provider timeouts.
inline constexpr CLSID kClsidCUIAutomation8 = {
    0xe22ad333, 0xb25f, 0x460c, {0x83, 0xd0, 0x05, 0x81, 0x10, 0x73, 0x95, 0xc9}};
inline constexpr IID kIidIUIAutomation = {
    0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};

inline constexpr PATTERNID kInvokePatternId = 10000;
inline constexpr PATTERNID kValuePatternId = 10002;
inline constexpr PATTERNID kScrollPatternId = 10004;
inline constexpr PATTERNID kExpandCollapsePatternId = 10005;
inline constexpr PATTERNID kSelectionItemPatternId = 10010;
inline constexpr PATTERNID kTogglePatternId = 10015;
inline constexpr PATTERNID kLegacyIAccessiblePatternId = 10018;
inline constexpr PATTERNID kTextPatternId = 10014;
inline constexpr PROPERTYID kAutomationIdPropertyId = 30011;
// The element and all its descendants (the SDK's TreeScope_Subtree; Wine's
// header spells it TreeScope_SubTree).
inline constexpr TreeScope kTreeScopeSubtree = static_cast<TreeScope>(7);

inline constexpr IID kIidInvokePattern = {
    0xfb377fbe, 0x8ea6, 0x46d5, {0x9c, 0x73, 0x64, 0x99, 0x64, 0x2d, 0x30, 0x59}};
inline constexpr IID kIidValuePattern = {
    0xa94cd8b1, 0x0844, 0x4cd6, {0x9d, 0x2d, 0x64, 0x05, 0x37, 0xab, 0x39, 0xe9}};
inline constexpr IID kIidScrollPattern = {
    0x88f4d42a, 0xe881, 0x459d, {0xa7, 0x7c, 0x73, 0xbb, 0xbb, 0x7e, 0x02, 0xdc}};
inline constexpr IID kIidExpandCollapsePattern = {
    0x619be086, 0x1f4e, 0x4ee4, {0xba, 0xfa, 0x21, 0x01, 0x28, 0x73, 0x87, 0x30}};
inline constexpr IID kIidSelectionItemPattern = {
    0xa8efa66a, 0x0fda, 0x421a, {0x91, 0x94, 0x38, 0x02, 0x1f, 0x35, 0x78, 0xea}};
inline constexpr IID kIidTogglePattern = {
    0x94cf8058, 0x9b8d, 0x4ab9, {0x8b, 0xfd, 0x4c, 0xd0, 0xa3, 0x3c, 0x8c, 0x70}};
inline constexpr IID kIidLegacyIAccessiblePattern = {
    0x828055ad, 0x355b, 0x4435, {0x86, 0xd5, 0x3b, 0x51, 0xc1, 0x4a, 0x9b, 0x1b}};
inline constexpr IID kIidTextPattern = {
    0x32eba289, 0x3583, 0x42c9, {0x9c, 0x59, 0x3b, 0x6d, 0x9a, 0x1e, 0x9b, 0x6a}};
inline constexpr IID kIidTextRange = {
    0xa543cc6a, 0xf4ae, 0x494b, {0x82, 0x39, 0xc8, 0x14, 0x48, 0x11, 0x87, 0xa8}};
inline constexpr IID kIidTextRangeArray = {
    0xce4ae76a, 0xe717, 0x4c98, {0x81, 0xea, 0x47, 0x37, 0x1d, 0x02, 0x8e, 0xb6}};
// Enumerations of the SDK, passed as their int values.
enum ToggleState : int { ToggleState_Off = 0, ToggleState_On = 1, ToggleState_Indeterminate = 2 };
enum ExpandCollapseState : int {
  ExpandCollapseState_Collapsed = 0,
  ExpandCollapseState_Expanded = 1,
  ExpandCollapseState_PartiallyExpanded = 2,
  ExpandCollapseState_LeafNode = 3
};
enum ScrollAmount : int {
  ScrollAmount_LargeDecrement = 0,
  ScrollAmount_SmallDecrement = 1,
  ScrollAmount_NoAmount = 2,
  ScrollAmount_LargeIncrement = 3,
  ScrollAmount_SmallIncrement = 4
};
enum TextUnit : int {
  TextUnit_Character = 0,
  TextUnit_Format = 1,
  TextUnit_Word = 2,
  TextUnit_Line = 3,
  TextUnit_Paragraph = 4,
  TextUnit_Page = 5,
  TextUnit_Document = 6
};
enum TextPatternRangeEndpoint : int {
  TextPatternRangeEndpoint_Start = 0,
  TextPatternRangeEndpoint_End = 1
};
enum SupportedTextSelection : int;
using TextAttributeId = int;

// COM interfaces have no virtual destructor by design.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

struct IUIAutomationInvokePattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};

struct IUIAutomationTogglePattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Toggle() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentToggleState(ToggleState* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedToggleState(ToggleState* state) = 0;
};

struct IUIAutomationSelectionItemPattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Select() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentIsSelected(BOOL* selected) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentSelectionContainer(IUIAutomationElement** container) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedIsSelected(BOOL* selected) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedSelectionContainer(IUIAutomationElement** container) = 0;
};

struct IUIAutomationExpandCollapsePattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Expand() = 0;
  virtual HRESULT STDMETHODCALLTYPE Collapse() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentExpandCollapseState(ExpandCollapseState* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedExpandCollapseState(ExpandCollapseState* state) = 0;
};

struct IUIAutomationScrollPattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Scroll(ScrollAmount horizontal, ScrollAmount vertical) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetScrollPercent(double horizontal, double vertical) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentHorizontalScrollPercent(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentVerticalScrollPercent(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentHorizontalViewSize(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentVerticalViewSize(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentHorizontallyScrollable(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentVerticallyScrollable(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedHorizontalScrollPercent(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedVerticalScrollPercent(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedHorizontalViewSize(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedVerticalViewSize(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedHorizontallyScrollable(BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CachedVerticallyScrollable(BOOL* value) = 0;
};

struct IUIAutomationTextRange : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Clone(IUIAutomationTextRange** clone) = 0;
  virtual HRESULT STDMETHODCALLTYPE Compare(IUIAutomationTextRange* range, BOOL* same) = 0;
  virtual HRESULT STDMETHODCALLTYPE CompareEndpoints(TextPatternRangeEndpoint source,
                                                     IUIAutomationTextRange* range,
                                                     TextPatternRangeEndpoint target,
                                                     int* comparison) = 0;
  virtual HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(TextUnit unit) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindAttribute(TextAttributeId attribute, VARIANT value,
                                                  BOOL backward, IUIAutomationTextRange** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindText(BSTR text, BOOL backward, BOOL ignore_case,
                                             IUIAutomationTextRange** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAttributeValue(TextAttributeId attribute, VARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBoundingRectangles(SAFEARRAY** rectangles) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetEnclosingElement(IUIAutomationElement** element) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetText(int max_length, BSTR* text) = 0;
  virtual HRESULT STDMETHODCALLTYPE Move(TextUnit unit, int count, int* moved) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveEndpointByUnit(TextPatternRangeEndpoint endpoint, TextUnit unit,
                                                       int count, int* moved) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveEndpointByRange(TextPatternRangeEndpoint source,
                                                        IUIAutomationTextRange* range,
                                                        TextPatternRangeEndpoint target) = 0;
  virtual HRESULT STDMETHODCALLTYPE Select() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE ScrollIntoView(BOOL align_to_top) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetChildren(IUIAutomationElementArray** children) = 0;
};

struct IUIAutomationTextRangeArray : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Length(int* length) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetElement(int index, IUIAutomationTextRange** range) = 0;
};

struct IUIAutomationTextPattern : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE RangeFromPoint(POINT point, IUIAutomationTextRange** range) = 0;
  virtual HRESULT STDMETHODCALLTYPE RangeFromChild(IUIAutomationElement* child,
                                                   IUIAutomationTextRange** range) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSelection(IUIAutomationTextRangeArray** ranges) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVisibleRanges(IUIAutomationTextRangeArray** ranges) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DocumentRange(IUIAutomationTextRange** range) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SupportedTextSelection(SupportedTextSelection* selection) = 0;
};

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace winhelper::uia::sdk

namespace winhelper::uia::sdk {

// IUIAutomation2 (Windows 8 and later) adds the provider timeouts to
// IUIAutomation. Both the SDK's header and Wine's declare the interface
// itself; checked against Microsoft's documentation of it: it derives from
// IUIAutomation and adds six methods, in the IDL's order get/put
// AutoSetFocus, get/put ConnectionTimeout, get/put TransactionTimeout
// (vtable slots 58 to 63), timeouts in milliseconds. Its interface id:
inline constexpr IID kIidIUIAutomation2 = {
    0x34723aff, 0x0c9d, 0x49d0, {0x98, 0x96, 0x7a, 0xb5, 0x2d, 0xf8, 0xcd, 0x8a}};

}  // namespace winhelper::uia::sdk
