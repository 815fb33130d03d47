#pragma once
// The note under the parameter list: what the type mnemonics of the "Тип" column mean. It is part
// of the page as written, so it is kept here verbatim rather than built. Its table is left open:
// the page's closing lines end it.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view parameter_list_note = R"(<h4>Примечание:</h4>
<h5>Форматы представления данных:</h5>
<TABLE border=1 style="font-size=12px">
<tr>
	<td><b>№</b></td>
	<td><b>Сокращенная мнемоника</b></td>
	<td><b>Характеристика</b></td>
</tr>
<tr>
	<td>1</td>
	<td>float</td>
	<td>32-разрядное число с плавающей точкой</td>
</tr>
<tr>
	<td>2</td>
	<td>int</td>
	<td>16-разрядное целое число со знаком, с десятичной точкой, фиксированной с одной стороны</td>
</tr>
<tr>
	<td>3</td>
	<td>ASCI</td>
	<td>значение показывается не как число, а как последовательность от 1 до 15 символов ASCII</td>
</tr>
<tr>
	<td>4</td>
	<td>CLK_frm</td>
	<td>составной тип, содержащий сведения о времени</td>
</tr>
<tr>
	<td>5</td>
	<td>string</td>
	<td>нетипизированные целые числа или наборы битов</td>
</tr>
<tr>
	<td>6</td>
	<td>STORED_DOT</td>
	<td>число со знаком, с десятичной точкой, фиксированной с одной стороны</td>
</tr>
<tr>
	<td>7</td>
	<td>Перечень значений</td>
	<td>8-разрядное целое число, каждому значению которого сопоставлен текст</td>
</tr>
)";

} // namespace zr740::texts
