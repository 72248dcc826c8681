; Hotstrings as the AutoHotkey documentation writes them
#SingleInstance Force
#Hotstring EndChars -()[]{}:;'"/\,.?!`n `t

::btw::by the way
:*:j@::jsmith@somedomain.com  ; a comment after the text
:C:AHK::AutoHotkey
:?:ign::ignore inside words
:R:raw1::{braces} stay ^ as typed!
::addr::1 Main Street`nSpringfield
::sig::Best regards,{Enter}Jon
::tabbed::a{Tab}b
::cur::<b></b>{Left 4}
::semi::one`; two
::sp::{Space}lead
::uni::ünïcödé ✓

/*
::commented::not a hotstring
*/

::long::
(
A line of text.
  Indented line.
Last line
)

:X:run::MsgBox "hi"
::code::
MsgBox You typed code
return

::alt::^c copies
::left::a{Left}b
^j::
Send My First Script
return
