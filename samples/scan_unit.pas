unit Greeting;

{ A small unit for the scanner tour: comments of both kinds, character
  codes and strings with doubled quotes. }

interface

function Greet(const Name: string): string;

implementation

const
  CRLF = #13#10;
  Bell = #7;
  Tab  = #$09;

// LOCALIZE OFF
const
  Key = 'greeting.v2';
// LOCALIZE ON

(* The text shown to the user; it's translated. *)
function Greet(const Name: string): string;
begin
  if Name = '' then
    Result := 'Hello, stranger!' + CRLF
  else
    Result := 'Hello, ' + Name + '! It''s ' + IntToStr(Length(Name)) + ' letters.'#13#10;
end;

end.
