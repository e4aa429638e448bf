# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
  controls/CListSorter.cpp controls/CListSorter.h
)
list(APPEND BV_UI_SOURCES
  controls/CheckBoxBitmap.cpp controls/CheckBoxBitmap.h
  controls/CCheckBoxItemDelegate.cpp controls/CCheckBoxItemDelegate.h
  controls/CCheckBoxListCtrl.cpp controls/CCheckBoxListCtrl.h
  controls/CSortArrowHeader.cpp controls/CSortArrowHeader.h
  controls/SystemColors.cpp controls/SystemColors.h
  controls/FlatFrames.cpp controls/FlatFrames.h
  controls/CFlatButtonBase.cpp controls/CFlatButtonBase.h
  controls/CFlatPushButton.cpp controls/CFlatPushButton.h
  controls/CFlatToggleButton.cpp controls/CFlatToggleButton.h
  controls/CCheckButton.cpp controls/CCheckButton.h
  controls/CRadioButton.cpp controls/CRadioButton.h
  controls/CPercentProgressCtrl.cpp controls/CPercentProgressCtrl.h
  controls/CEllipsisStatic.cpp controls/CEllipsisStatic.h
  controls/CImageList.cpp controls/CImageList.h
  controls/CComboItem.h
  controls/CFlatFrameCombo.cpp controls/CFlatFrameCombo.h
  controls/CFlatFrameDatePicker.cpp controls/CFlatFrameDatePicker.h
  controls/CUpDownCtrl.cpp controls/CUpDownCtrl.h
)
