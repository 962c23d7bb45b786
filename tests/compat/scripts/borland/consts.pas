unit Consts;

{ The ids the code and the string table share. }

interface

uses Windows, Messages;

const
  IDS_BASE = $0100;               (* hexadecimal *)
  IDS_HELLO = IDS_BASE + 1;       // after another constant
  IDS_FLAGS = IDS_BASE or $0F and not 3;
  IDS_LAST = (IDS_BASE + 7) * 2 div 4 mod 1000 shl 1 shr 1;
  APP_TITLE = 'Bob''s ' + 'Editor';
  SEPARATED = 'a'#9'b';
  MaxItems: Integer = 10;         { a typed constant: a variable, left out }
  Ratio = 1.5;                    { a real: left out }

type
  TColor = (Red, Green);

const IDS_BYE = 2; IDS_AGAIN = 3;

var
  Count: Integer;

implementation

const
  IDS_PRIVATE = -4;
  IDS_OTHER = Ord('A');  { a function call: left out }

procedure Show(const Text: string; Count: Integer);
begin
end;

procedure Nothing;
const
  Local = 9;
begin
end;

end.
